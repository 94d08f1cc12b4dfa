#pragma once
#include <windows.h>
#include <oleauto.h>
#include <string>

// UTF-16 string with the framework's CString interface, kept in a std::wstring.
// A null LPCWSTR converts to the empty string.
class CString {
public:
    CString() = default;
    CString(LPCWSTR psz) : m_str(psz ? psz : L"") {}
    CString(LPCWSTR pch, int nLength) : m_str(pch ? std::wstring(pch, nLength) : std::wstring()) {}
    CString(wchar_t ch, int nRepeat = 1) : m_str(nRepeat > 0 ? nRepeat : 0, ch) {}
    CString(const std::wstring& str) : m_str(str) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    LPCWSTR GetString() const { return m_str.c_str(); }
    operator LPCWSTR() const { return m_str.c_str(); }
    wchar_t GetAt(int nIndex) const { return m_str.at(nIndex); }
    wchar_t operator[](int nIndex) const { return GetAt(nIndex); }

    CString& operator=(LPCWSTR psz) { m_str = psz ? psz : L""; return *this; }
    CString& operator+=(const CString& str) { m_str += str.m_str; return *this; }
    CString& operator+=(LPCWSTR psz) { if (psz) m_str += psz; return *this; }
    CString& operator+=(wchar_t ch) { m_str += ch; return *this; }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
    friend CString operator+(const CString& a, LPCWSTR b) { CString r(a); r += b; return r; }
    friend CString operator+(LPCWSTR a, const CString& b) { CString r(a); r += b; return r; }
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, LPCWSTR b) { return a.m_str == (b ? b : L""); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_str < b.m_str; }

    int CompareNoCase(LPCWSTR psz) const;

    CString Left(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    int Find(wchar_t ch, int nStart = 0) const;
    int Find(LPCWSTR pszSub, int nStart = 0) const;
    int ReverseFind(wchar_t ch) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& Trim();
    int Remove(wchar_t ch);
    int Replace(LPCWSTR pszOld, LPCWSTR pszNew);

    // Loads string resource nID from the resource module; FALSE leaves the string empty.
    BOOL LoadString(UINT nID);
    void Format(LPCWSTR pszFormat, ...);

    // Direct buffer access for Win32 calls that write text; ReleaseBuffer(-1) takes the length up to the first NUL.
    LPWSTR GetBuffer(int nMinLength);
    void ReleaseBuffer(int nNewLength = -1);

    // A new BSTR the caller frees with SysFreeString.
    BSTR AllocSysString() const { return ::SysAllocStringLen(m_str.data(), static_cast<UINT>(m_str.size())); }

private:
    std::wstring m_str;
};
