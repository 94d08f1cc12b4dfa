#pragma once
#include <windows.h>

#include <string>

// The user's home page, as the browser settings store it, set for the life of this object.
class ScopedStartPage {
public:
    explicit ScopedStartPage(const std::wstring& url);
    ~ScopedStartPage();
    ScopedStartPage(const ScopedStartPage&) = delete;
    ScopedStartPage& operator=(const ScopedStartPage&) = delete;

private:
    wchar_t m_szOld[2048] = {};
    DWORD m_cbOld = sizeof(m_szOld);
    bool m_bHadOld = false;
};
