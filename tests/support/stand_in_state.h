#pragma once
#include "stand_in_browser.h"

#include <tlogstg.h>

#include <map>
#include <mutex>
#include <utility>

// What a control's record and every stand-in object it spawned share. The
// objects hold it, so it outlives all of them and the record can still read it.
// Host references sit here so that the record can call the host; the control
// releases them at the latest when it is deleted.
struct StandInState {
    StandInConfig config;
    std::vector<StandInCall> calls;
    StandInSiteProbe probe;
    std::vector<DISPID> ambientChanges;
    std::vector<MSG> acceleratorMessages;

    IDispatch* pBrowserDispatch = nullptr;   // the live control's IDispatch; not owned, null once deleted
    CComPtr<IOleClientSite> spClientSite;    // from SetClientSite until SetClientSite(nullptr) or Close
    CComPtr<IOleInPlaceSite> spInPlaceSite;  // while in-place active
    std::map<DWORD, CComPtr<IDispatch>> sinks;  // advised sinks by cookie; cookies grow, so in advising order
    DWORD dwNextCookie = 1;
    // The top-level document while switched on and the control lives; the
    // control releases it when deleted, which breaks the state-document cycle.
    CComPtr<IDispatch> spDocument;
    CComPtr<IDispatch> spNewWindow;          // what the sinks returned from NewWindow2; the test's to inspect
    HWND hwnd = nullptr;                     // the control's window; cleared when destroyed
    bool bInPlaceActive = false;
    bool bUIActive = false;
    RECT rcPos{};

    void Record(std::string strMethod, std::vector<std::string> args = {});
    // QueryInterface on a host object, recorded as "Site.QueryInterface"; without ppv the result is released.
    HRESULT QuerySite(IUnknown* pSite, REFIID riid, void** ppv = nullptr);
    // An ambient property get through the site's IDispatch, recorded as "Site.Invoke".
    HRESULT InvokeAmbient(IDispatch* pDispatch, DISPID dispid, VARIANT* pResult);
    void Born(const char* pszKind);
    void Died(const char* pszKind);
    int LiveCount() const;
    std::vector<std::string> LiveKinds() const;

private:
    mutable std::mutex m_mutex;            // guards the live counts, in case a host releases from another thread
    std::map<std::string, int> m_mapLive;  // live objects by kind
};

// The common IUnknown of the stand-in objects: an interlocked reference count
// starting at one (the creator's), and a live count in the record from
// construction to deletion.
template <class... Interfaces>
class CStandInObject : public Interfaces... {
public:
    CStandInObject(std::shared_ptr<StandInState> pState, const char* pszKind)
        : m_pState(std::move(pState)), m_pszKind(pszKind)
    {
        m_pState->Born(m_pszKind);
    }
    virtual ~CStandInObject() { m_pState->Died(m_pszKind); }
    CStandInObject(const CStandInObject&) = delete;
    CStandInObject& operator=(const CStandInObject&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        IUnknown* pUnk = Find(riid);
        *ppv = pUnk;
        if (!pUnk) return E_NOINTERFACE;
        pUnk->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&m_cRef); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG cRef = ::InterlockedDecrement(&m_cRef);
        if (cRef == 0) delete this;
        return cRef;
    }

protected:
    // The interface for riid, or null; for IUnknown always the same pointer.
    virtual IUnknown* Find(REFIID riid) = 0;

    std::shared_ptr<StandInState> m_pState;

private:
    LONG m_cRef = 1;
    const char* m_pszKind;
};

// Each returns a new object with one reference, the caller's.
IUnknown* NewStandInBrowser(std::shared_ptr<StandInState> pState);
// The top-level document, whose frames have documents of their own.
IDispatch* NewStandInDocument(std::shared_ptr<StandInState> pState);
ITravelLogStg* NewStandInTravelLog(std::shared_ptr<StandInState> pState);
IDispatch* NewStandInFrameBrowser(std::shared_ptr<StandInState> pState, std::wstring strURL);
// Another IDispatch pointer with pControl's identity.
IDispatch* NewStandInDispatchAlias(std::shared_ptr<StandInState> pState, IUnknown* pControl);

// Text for recorded arguments (formats in stand_in_browser.h).
std::string StandInUtf8(std::wstring_view str);
std::string StandInGuidText(const GUID* pGuid);
std::string StandInHexText(ULONG_PTR n);
std::string StandInRectText(const RECT* pRect);
inline std::string StandInSetText(const void* p) { return p ? "set" : "null"; }
