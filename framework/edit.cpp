#include "edit.h"

IMPLEMENT_DYNAMIC(CEdit, CObject)

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll)
{
    ::SendMessageW(m_hWnd, EM_SETSEL, static_cast<WPARAM>(nStartChar), static_cast<LPARAM>(nEndChar));
    if (!bNoScroll) ::SendMessageW(m_hWnd, EM_SCROLLCARET, 0, 0);
}
