#include "combo_box.h"

BOOL CComboBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CWnd::Create(L"COMBOBOX", nullptr, dwStyle, rect, pParentWnd, nID);
}

void CComboBox::GetLBText(int nIndex, CString& rString) const
{
    LRESULT nLength = ::SendMessageW(m_hWnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex), 0);
    if (nLength == CB_ERR) {
        rString.Empty();
        return;
    }
    LRESULT nCopied = ::SendMessageW(m_hWnd, CB_GETLBTEXT, static_cast<WPARAM>(nIndex),
                                     reinterpret_cast<LPARAM>(rString.GetBuffer(static_cast<int>(nLength) + 1)));
    rString.ReleaseBuffer(nCopied == CB_ERR ? 0 : static_cast<int>(nCopied));
}
