#pragma once
#include "wnd.h"

// A window of the system's "EDIT" class, with the operations the program uses.
class CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
public:
    CEdit() = default;

    // Selects nStartChar to nEndChar (-1, 0 removes the selection); unless bNoScroll, scrolls the caret into view.
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
};
