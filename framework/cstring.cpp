#include "cstring.h"
#include "win_app.h"

#include <cstdarg>
#include <cwchar>

int CString::CompareNoCase(LPCWSTR psz) const
{
    return ::_wcsicmp(m_str.c_str(), psz ? psz : L"");
}

CString CString::Left(int nCount) const
{
    if (nCount <= 0) return CString();
    return CString(m_str.substr(0, static_cast<size_t>(nCount)));
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, GetLength());
}

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0) nFirst = 0;
    if (nFirst >= GetLength() || nCount <= 0) return CString();
    return CString(m_str.substr(static_cast<size_t>(nFirst), static_cast<size_t>(nCount)));
}

int CString::Find(wchar_t ch, int nStart) const
{
    if (nStart < 0 || nStart >= GetLength()) return -1;
    size_t pos = m_str.find(ch, static_cast<size_t>(nStart));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(LPCWSTR pszSub, int nStart) const
{
    if (!pszSub || nStart < 0 || nStart > GetLength()) return -1;
    size_t pos = m_str.find(pszSub, static_cast<size_t>(nStart));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(wchar_t ch) const
{
    size_t pos = m_str.rfind(ch);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

CString& CString::MakeUpper()
{
    if (!m_str.empty()) ::CharUpperBuffW(m_str.data(), static_cast<DWORD>(m_str.size()));
    return *this;
}

CString& CString::MakeLower()
{
    if (!m_str.empty()) ::CharLowerBuffW(m_str.data(), static_cast<DWORD>(m_str.size()));
    return *this;
}

CString& CString::Trim()
{
    const wchar_t* kSpace = L" \t\r\n";
    size_t first = m_str.find_first_not_of(kSpace);
    if (first == std::wstring::npos) {
        m_str.clear();
    } else {
        m_str.erase(m_str.find_last_not_of(kSpace) + 1);
        m_str.erase(0, first);
    }
    return *this;
}

int CString::Remove(wchar_t ch)
{
    size_t before = m_str.size();
    std::erase(m_str, ch);
    return static_cast<int>(before - m_str.size());
}

int CString::Replace(LPCWSTR pszOld, LPCWSTR pszNew)
{
    if (!pszOld || !*pszOld) return 0;
    std::wstring oldText(pszOld), newText(pszNew ? pszNew : L"");
    int nCount = 0;
    for (size_t pos = m_str.find(oldText); pos != std::wstring::npos; pos = m_str.find(oldText, pos + newText.size())) {
        m_str.replace(pos, oldText.size(), newText);
        ++nCount;
    }
    return nCount;
}

BOOL CString::LoadString(UINT nID)
{
    // With a zero buffer size LoadStringW hands back a read-only pointer into the resource.
    LPCWSTR pRes = nullptr;
    int nLength = ::LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&pRes), 0);
    if (nLength <= 0 || !pRes) {
        m_str.clear();
        return FALSE;
    }
    m_str.assign(pRes, static_cast<size_t>(nLength));
    return TRUE;
}

void CString::Format(LPCWSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    va_list argsCopy;
    va_copy(argsCopy, args);
    int nLength = ::_vscwprintf(pszFormat, argsCopy);
    va_end(argsCopy);
    if (nLength < 0) {
        m_str.clear();
    } else {
        m_str.assign(static_cast<size_t>(nLength) + 1, L'\0');
        ::_vsnwprintf(m_str.data(), m_str.size(), pszFormat, args);
        m_str.resize(static_cast<size_t>(nLength));
    }
    va_end(args);
}

LPWSTR CString::GetBuffer(int nMinLength)
{
    if (nMinLength > GetLength()) m_str.resize(static_cast<size_t>(nMinLength));
    return m_str.data();
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0) nNewLength = static_cast<int>(::wcsnlen(m_str.c_str(), m_str.size()));
    m_str.resize(static_cast<size_t>(nNewLength));
}
