#include "menu_item_text.h"

CString MenuItemText(const CString& strText, int nMaxLength)
{
    int nLength = strText.GetLength() < nMaxLength ? strText.GetLength() : nMaxLength;
    if (nLength > 0 && nLength < strText.GetLength() && IS_HIGH_SURROGATE(strText[nLength - 1])) --nLength;
    CString strItem = strText.Left(nLength);
    strItem.Replace(L"&", L"&&");
    return strItem;
}
