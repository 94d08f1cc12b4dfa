#include "scoped_start_page.h"

namespace {

constexpr const wchar_t* kMainKey = L"Software\\Microsoft\\Internet Explorer\\Main";

}  // namespace

ScopedStartPage::ScopedStartPage(const std::wstring& url)
{
    m_bHadOld = ::RegGetValueW(HKEY_CURRENT_USER, kMainKey, L"Start Page", RRF_RT_REG_SZ, nullptr, m_szOld,
                               &m_cbOld) == ERROR_SUCCESS;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kMainKey, L"Start Page", REG_SZ, url.c_str(),
                      static_cast<DWORD>((url.size() + 1) * sizeof(wchar_t)));
}

ScopedStartPage::~ScopedStartPage()
{
    if (m_bHadOld) ::RegSetKeyValueW(HKEY_CURRENT_USER, kMainKey, L"Start Page", REG_SZ, m_szOld, m_cbOld);
    else ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kMainKey, L"Start Page");
}
