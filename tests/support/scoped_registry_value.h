#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

// One value of the prefix's real registry, as it was when the scope began, put back (or removed
// again, when there was none) when it ends. Set and Remove change it in between.
class CScopedRegistryValue {
public:
    CScopedRegistryValue(HKEY hRoot, std::wstring key, std::wstring name)
        : m_hRoot(hRoot), m_key(std::move(key)), m_name(std::move(name))
    {
        DWORD dwType = REG_NONE;
        DWORD cbData = 0;
        if (::RegGetValueW(m_hRoot, m_key.c_str(), m_name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &dwType, nullptr,
                           &cbData) != ERROR_SUCCESS) {
            return;
        }
        std::vector<BYTE> data(cbData);
        if (::RegGetValueW(m_hRoot, m_key.c_str(), m_name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &dwType, data.data(),
                           &cbData) != ERROR_SUCCESS) {
            return;
        }
        data.resize(cbData);
        m_saved = Saved{dwType, std::move(data)};
    }
    ~CScopedRegistryValue()
    {
        if (m_saved) {
            Set(m_saved->dwType, m_saved->data.data(), static_cast<DWORD>(m_saved->data.size()));
        } else {
            Remove();
        }
    }
    CScopedRegistryValue(const CScopedRegistryValue&) = delete;
    CScopedRegistryValue& operator=(const CScopedRegistryValue&) = delete;

    bool Set(DWORD dwType, const void* pData, DWORD cbData) const
    {
        return ::RegSetKeyValueW(m_hRoot, m_key.c_str(), m_name.c_str(), dwType, pData, cbData) == ERROR_SUCCESS;
    }
    bool SetString(const std::wstring& value, DWORD dwType = REG_SZ) const
    {
        return Set(dwType, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    bool SetDword(DWORD dwValue) const { return Set(REG_DWORD, &dwValue, sizeof(dwValue)); }
    void Remove() const { ::RegDeleteKeyValueW(m_hRoot, m_key.c_str(), m_name.c_str()); }

private:
    struct Saved {
        DWORD dwType;
        std::vector<BYTE> data;
    };
    HKEY m_hRoot;
    std::wstring m_key;
    std::wstring m_name;
    std::optional<Saved> m_saved;
};
