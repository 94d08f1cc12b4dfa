#include "stand_in_state.h"

#include "framework/interface_ids.h"

#include <algorithm>
#include <cwchar>

namespace {

HRESULT CoTaskString(const std::wstring& str, LPWSTR* ppsz)
{
    if (!ppsz) return E_POINTER;
    size_t cb = (str.size() + 1) * sizeof(wchar_t);
    *ppsz = static_cast<LPWSTR>(::CoTaskMemAlloc(cb));
    if (!*ppsz) return E_OUTOFMEMORY;
    std::wmemcpy(*ppsz, str.c_str(), str.size() + 1);
    return S_OK;
}

std::vector<StandInTravelEntry> EntriesFor(const StandInConfig& config, TLENUMF flags)
{
    std::vector<StandInTravelEntry> entries;
    if (flags & TLEF_RELATIVE_BACK) entries.insert(entries.end(), config.back.begin(), config.back.end());
    if (flags & TLEF_RELATIVE_FORE) entries.insert(entries.end(), config.forward.begin(), config.forward.end());
    return entries;
}

class CStandInTravelEntry : public CStandInObject<ITravelLogEntry> {
public:
    CStandInTravelEntry(std::shared_ptr<StandInState> pState, StandInTravelEntry entry)
        : CStandInObject(std::move(pState), "TravelLogEntry"), m_entry(std::move(entry))
    {
    }

    // ITravelLogEntry
    HRESULT STDMETHODCALLTYPE GetTitle(LPWSTR* ppszTitle) override
    {
        if (FAILED(m_entry.hrTitle)) return m_entry.hrTitle;
        return CoTaskString(m_entry.strTitle, ppszTitle);
    }
    HRESULT STDMETHODCALLTYPE GetURL(LPWSTR* ppszURL) override { return CoTaskString(m_entry.strURL, ppszURL); }

protected:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_ITravelLogEntry) return static_cast<ITravelLogEntry*>(this);
        return nullptr;
    }

private:
    StandInTravelEntry m_entry;
};

// Enumerates a copy of the entries taken when it was made.
class CStandInTravelEnum : public CStandInObject<IEnumTravelLogEntry> {
public:
    CStandInTravelEnum(std::shared_ptr<StandInState> pState, std::vector<StandInTravelEntry> entries)
        : CStandInObject(std::move(pState), "TravelLogEnum"), m_entries(std::move(entries))
    {
    }

    // IEnumTravelLogEntry
    HRESULT STDMETHODCALLTYPE Next(ULONG cElt, ITravelLogEntry** rgElt, ULONG* pcEltFetched) override
    {
        if (!rgElt || (!pcEltFetched && cElt != 1)) return E_POINTER;
        ULONG cFetched = 0;
        for (; cFetched < cElt && m_iNext < m_entries.size(); ++cFetched, ++m_iNext)
            rgElt[cFetched] = new CStandInTravelEntry(m_pState, m_entries[m_iNext]);
        if (pcEltFetched) *pcEltFetched = cFetched;
        return cFetched == cElt ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG cElt) override
    {
        size_t cLeft = m_entries.size() - m_iNext;
        m_iNext += std::min<size_t>(cElt, cLeft);
        return cElt <= cLeft ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        m_iNext = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumTravelLogEntry**) override { return E_NOTIMPL; }

protected:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_IEnumTravelLogEntry) return static_cast<IEnumTravelLogEntry*>(this);
        return nullptr;
    }

private:
    std::vector<StandInTravelEntry> m_entries;
    size_t m_iNext = 0;
};

class CStandInTravelLog : public CStandInObject<ITravelLogStg> {
public:
    explicit CStandInTravelLog(std::shared_ptr<StandInState> pState)
        : CStandInObject(std::move(pState), "TravelLog")
    {
    }

    // ITravelLogStg
    HRESULT STDMETHODCALLTYPE CreateEntry(LPCWSTR, LPCWSTR, ITravelLogEntry*, WINBOOL, ITravelLogEntry**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TravelTo(ITravelLogEntry*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumEntries(TLENUMF flags, IEnumTravelLogEntry** ppenum) override
    {
        m_pState->Record("TravelLog.EnumEntries", {"Flags=" + StandInHexText(flags)});
        if (!ppenum) return E_POINTER;
        *ppenum = new CStandInTravelEnum(m_pState, EntriesFor(m_pState->config, flags));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE FindEntries(TLENUMF, LPCWSTR, IEnumTravelLogEntry**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCount(TLENUMF flags, DWORD* pcEntries) override
    {
        m_pState->Record("TravelLog.GetCount", {"Flags=" + StandInHexText(flags)});
        if (!pcEntries) return E_POINTER;
        *pcEntries = static_cast<DWORD>(EntriesFor(m_pState->config, flags).size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RemoveEntry(ITravelLogEntry*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRelativeEntry(int, ITravelLogEntry**) override { return E_NOTIMPL; }

protected:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_ITravelLogStg) return static_cast<ITravelLogStg*>(this);
        return nullptr;
    }
};

}  // namespace

ITravelLogStg* NewStandInTravelLog(std::shared_ptr<StandInState> pState)
{
    return new CStandInTravelLog(std::move(pState));
}
