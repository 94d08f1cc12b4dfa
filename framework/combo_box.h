#pragma once
#include "cstring.h"
#include "wnd.h"

// A window of the system's "COMBOBOX" class, with the operations the program uses.
class CComboBox : public CWnd {
public:
    CComboBox() = default;

    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    int GetCount() const { return static_cast<int>(::SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0)); }
    int GetCurSel() const { return static_cast<int>(::SendMessageW(m_hWnd, CB_GETCURSEL, 0, 0)); }
    int AddString(LPCWSTR lpszString)
    {
        return static_cast<int>(::SendMessageW(m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszString)));
    }
    // The text of list entry nIndex; empty for an index out of range.
    void GetLBText(int nIndex, CString& rString) const;
    // nIndex -1 is the selection field, 0 the list's entries.
    int GetItemHeight(int nIndex) const
    {
        return static_cast<int>(::SendMessageW(m_hWnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(nIndex), 0));
    }
    int SetItemHeight(int nIndex, UINT cyItemHeight)
    {
        return static_cast<int>(::SendMessageW(m_hWnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(nIndex),
                                               static_cast<LPARAM>(cyItemHeight)));
    }
    BOOL GetDroppedState() const { return ::SendMessageW(m_hWnd, CB_GETDROPPEDSTATE, 0, 0) != 0; }
    void ShowDropDown(BOOL bShowIt = TRUE) { ::SendMessageW(m_hWnd, CB_SHOWDROPDOWN, bShowIt, 0); }
};
