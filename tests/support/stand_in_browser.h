#pragma once
#include <windows.h>
#include <ole2.h>
#include <docobj.h>
#include <exdisp.h>
#include <mshtmhst.h>

#include "framework/com_ptr.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A stand-in for the WebBrowser control, for tests that need what Wine's
// control never makes (a document, a title, history, zoom, new windows).
// StandInBrowserFactory registers it for CLSID_WebBrowser in the test process,
// so the program's own CoCreateInstance creates it. Each control created gets a
// StandInControl record that outlives the COM objects: it lists the calls made,
// holds the configuration, raises events and makes the calls a real control
// makes into its host.
//
// Calls are recorded in order, as a method name and arguments "Key=value":
//   - methods the host calls on the control carry their own names ("SetClientSite",
//     "DoVerb", "Navigate2", "ExecWB", "TranslateAccelerator", "Advise", ...); a
//     property put ("put_RegisterAsBrowser") has its value alone ("BOOL:true");
//   - on the other stand-in objects they are prefixed with the object:
//     "Document.Exec", "Window.focus", "Frame[1].Document.Exec", "TravelLog.EnumEntries";
//   - calls the stand-in makes into the host are prefixed "Site." and end with
//     "hr=<result>" ("Site.CanInPlaceActivate", "Site.Invoke", "Site.QueryInterface");
//   - "Event.<Name>" marks an event raised, with "Sinks=<count>";
//   - "ControlWindow.WM_CLOSE" and "ControlWindow.WM_DESTROY" come from the control's window;
//   - "FinalRelease" is the control's deletion; its arguments name the host
//     references it still held then ("ClientSite", "InPlaceSite", "Sinks=<n>").
// Values:
//   - a VARIANT (see StandInVariantText): "EMPTY", "NULL", "BSTR:<text>" (UTF-8),
//     "BSTR:null" (a null BSTR), "I4:<n>", "I2:<n>", "UI4:<n>", "INT:<n>", "BOOL:true",
//     "BOOL:false", "ERROR:0x80020004", "DISPATCH:null" or "DISPATCH:set" (likewise
//     UNKNOWN), "ARRAY|UI1:dims=<n>,lbound=<n>,bytes=<lower-case hex, see StandInHex>",
//     "REF:<the VARIANT pointed to>" for VT_VARIANT|VT_BYREF, "REF|<value>" for
//     another VT_BYREF type, "VT=0x<hex>" for anything else, and "none" for a
//     null VARIANT pointer;
//   - an HRESULT: "S_OK", "S_FALSE", "E_NOTIMPL", "E_NOINTERFACE", ... or "0x800C0008";
//   - an interface or group id: its name without the "IID_" or "DIID_" ("IDispatch",
//     "DWebBrowserEvents2", "ITravelLogStg", "CGID_IWebBrowser"), else the braced
//     GUID; a null group "null";
//   - window handles, messages, wParams and flags in hex "0x<hex>", other numbers in
//     decimal ("Verb=-5", "CmdID=19"); a rectangle "left,top,right,bottom";
//   - an interface pointer "set" or "null".
struct StandInCall {
    std::string method;
    std::vector<std::string> args;

    // The text after "key=" in the first argument with that key; nullopt when there is none.
    std::optional<std::string> Arg(std::string_view key) const;
    bool operator==(const StandInCall&) const = default;
};
void PrintTo(const StandInCall& call, std::ostream* os);

std::string StandInVariantText(const VARIANT* pVar);
std::string StandInHrText(HRESULT hr);
std::string StandInHex(std::string_view bytes);

// What get_activeElement gives: nothing, a plain element, or an element that
// answers QueryInterface for exactly one of the listed interfaces.
enum class StandInElementKind { None, Plain, InputText, TextArea, InputFile, Object };

struct StandInDocumentConfig {
    std::wstring strTitle;
    std::wstring strURL = L"about:blank";
    StandInElementKind activeElement = StandInElementKind::None;
    std::wstring strActiveElementType;  // what the active element's get_type answers
};

struct StandInTravelEntry {
    std::wstring strTitle;
    std::wstring strURL;
    HRESULT hrTitle = S_OK;  // GetTitle fails with this, writing nothing, unless S_OK
};

// A control's behaviour; the factory's defaults are copied into each new
// record, whose copy the stand-in objects read at the moment they answer.
struct StandInConfig {
    bool bDocument = false;                        // get_Document answers a document
    StandInDocumentConfig document;                // the top-level document
    std::vector<StandInDocumentConfig> frames;     // the top-level document's frames, in order
    std::wstring strLocationURL;                   // get_LocationURL
    long nZoom = 2;                                // ExecWB(OLECMDID_ZOOM): 0 (smallest) to 4
    std::vector<StandInTravelEntry> back;          // TLEF_RELATIVE_BACK, enumerated in this order
    std::vector<StandInTravelEntry> forward;       // TLEF_RELATIVE_FORE, enumerated in this order
    bool bTravelLog = true;                        // QueryService(SID_STravelLogCursor) answers; Wine's does not
    HRESULT hrTranslateAccelerator = S_FALSE;
    VARIANT_BOOL bMenuBar = VARIANT_TRUE;
    VARIANT_BOOL bToolBar = VARIANT_TRUE;
    HRESULT hrExecWB = S_OK;                       // ExecWB of commands other than the zoom ones
    HRESULT hrZoom = S_OK;                         // ExecWB(OLECMDID_ZOOM) answers this, its output written all the same
    HRESULT hrGetApplication = S_OK;               // get_Application fails with this, writing null
    bool bFaultInGetApplication = false;           // the next get_Application faults (a null write), once
    HRESULT hrDocumentExec = S_OK;                 // the documents' IOleCommandTarget::Exec
};

// The ambient property answers the site gave during SetClientSite.
struct StandInAmbientAnswer {
    DISPID dispid = 0;
    HRESULT hr = E_FAIL;
    VARTYPE vt = VT_EMPTY;
    std::string strValue;  // as StandInVariantText
};

// What the control found on the last site given to SetClientSite.
struct StandInSiteProbe {
    bool bDispatch = false;
    bool bDocHostUIHandler = false;
    bool bCommandTarget = false;
    bool bInPlaceSite = false;
    std::vector<StandInAmbientAnswer> ambients;  // -5501, then -5502, when the site has IDispatch

    const StandInAmbientAnswer* Ambient(DISPID dispid) const;
};

struct StandInState;

// The record of one stand-in control. Everything runs on the test's thread.
class StandInControl {
public:
    explicit StandInControl(std::shared_ptr<StandInState> pState);
    ~StandInControl();
    StandInControl(const StandInControl&) = delete;
    StandInControl& operator=(const StandInControl&) = delete;

    // Calls, in the order made
    std::vector<StandInCall> Calls() const;
    std::vector<std::string> CallNames() const;
    std::vector<StandInCall> CallsNamed(std::string_view method) const;
    int CountCalls(std::string_view method) const;
    std::optional<StandInCall> LastCall(std::string_view method) const;
    void ClearCalls();

    // State as the host left it
    StandInSiteProbe SiteProbe() const;
    IOleClientSite* ClientSite() const;  // not owned; null when none is held
    bool HoldsClientSite() const;
    bool IsInPlaceActive() const;
    bool IsUIActive() const;
    HWND Window() const;                 // null when not in-place active or once destroyed
    RECT ObjectRect() const;             // the position last given by activation or SetObjectRects
    std::vector<DISPID> AmbientChanges() const;    // OnAmbientPropertyChange, in order
    std::vector<MSG> AcceleratorMessages() const;  // TranslateAccelerator, in order
    // The control's IDispatch (itself): top-level pDisp of events. Not owned; null once deleted.
    IDispatch* Dispatch() const;
    bool IsAlive() const;

    // Configuration, read by the stand-in objects whenever they answer
    StandInConfig& Config();
    void SetDocument(bool bDocument);    // off releases the control's document
    void SetTitle(std::wstring strTitle);
    void SetDocumentURL(std::wstring strURL);
    void SetLocationURL(std::wstring strURL);
    void SetZoom(long nZoom);
    long Zoom() const;
    // GoBack and GoForward move through these lists, one entry per call.
    void SetTravelLog(std::vector<StandInTravelEntry> back, std::vector<StandInTravelEntry> forward);
    void SetTravelLogOffered(bool bOffered);
    void SetAcceleratorResult(HRESULT hr);
    void SetActiveElement(StandInElementKind kind, std::wstring strType = L"");
    void SetFrameCount(int nFrames);
    void SetFrames(std::vector<StandInDocumentConfig> frames);
    void SetMenuBar(bool bVisible);
    void SetToolBar(bool bVisible);

    // Events, delivered through IDispatch::Invoke to every advised sink in
    // the order of advising. A null pDisp stands for the control itself (the
    // top-level document); pass FrameBrowser() for a frame. Each returns what
    // the sinks left in its by-reference arguments, or the last failing
    // Invoke's HRESULT (S_FALSE when no sink is advised).
    int SinkCount() const;
    HRESULT Fire(DISPID dispid, const std::vector<VARIANT>& argsInNaturalOrder);
    bool FireBeforeNavigate2(IDispatch* pDisp, const std::wstring& strURL, long nFlags = 0,
                             const wchar_t* pszTargetFrame = nullptr,
                             const std::optional<std::string>& postData = std::nullopt,
                             const wchar_t* pszHeaders = nullptr, bool bCancel = false);
    HRESULT FireNavigateComplete2(IDispatch* pDisp, const std::wstring& strURL);
    HRESULT FireDocumentComplete(IDispatch* pDisp, const std::wstring& strURL);
    bool FireNavigateError(IDispatch* pDisp, const std::wstring& strURL, const std::wstring& strFrame,
                           long nStatusCode, bool bCancel = false);
    HRESULT FireStatusTextChange(const std::wstring& strText);
    HRESULT FireTitleChange(const std::wstring& strTitle);
    HRESULT FireCommandStateChange(long nCommand, bool bEnable);
    HRESULT FireDownloadBegin();
    HRESULT FireDownloadComplete();
    HRESULT FireProgressChange(long nProgress, long nProgressMax);
    // The sinks' answer to NewWindow2: Cancel and the object they put in *ppDisp,
    // whose reference the record keeps (NewWindowDispatch) until ResetNewWindow.
    bool FireNewWindow2(bool bCancel = false, bool bWithDispatchRef = true);
    IDispatch* NewWindowDispatch() const;
    void ResetNewWindow();
    HRESULT FireSetSecureLockIcon(long nSecureLockIcon);
    HRESULT FireWindowSetLeft(long nLeft);
    HRESULT FireWindowSetTop(long nTop);
    HRESULT FireWindowSetWidth(long nWidth);
    HRESULT FireWindowSetHeight(long nHeight);
    bool FireWindowClosing(bool bIsChildWindow, bool bCancel = false);

    // A browser object of a frame: its own identity, for the pDisp of frame events.
    CComPtr<IDispatch> FrameBrowser(std::wstring strURL = L"");
    // An IDispatch of the control other than Dispatch(), with the control's identity.
    CComPtr<IDispatch> DispatchAlias();

    // Calls into the host as the real control makes them, through the client
    // site it holds (E_UNEXPECTED without one). Each records "Site.<Method>".
    HRESULT InvokeAmbient(DISPID dispid, VARIANT* pResult);  // *pResult is initialised first; may be null
    HRESULT QuerySite(REFIID riid);  // released at once
    HRESULT GetHostInfo(DOCHOSTUIINFO* pInfo);  // fills cbSize first; the caller frees the strings
    HRESULT GetExternal(IDispatch** ppDispatch);  // the caller gets the reference
    HRESULT ShowMessage(HWND hwnd, LPOLESTR lpstrText, LPOLESTR lpstrCaption, DWORD dwType, LRESULT* plResult);
    // Any other IDocHostUIHandler method; E_NOINTERFACE when the site has none.
    HRESULT CallHostUIHandler(const std::string& strMethod, const std::function<HRESULT(IDocHostUIHandler*)>& call);
    // Posts WM_CLOSE to the control's window, as a script's window.close() does; FALSE without a window.
    bool RequestClose();

    // Reference accounting
    int LiveObjects() const;                           // stand-in COM objects not yet deleted
    std::vector<std::string> LiveObjectKinds() const;  // their kinds, e.g. "Control", "Document"
    // Client site, in-place site or event sinks; not the NewWindow2 answer, which is the test's.
    bool HostReferencesHeld() const;

private:
    std::shared_ptr<StandInState> m_pState;
};

// While it lives, CoCreateInstance(CLSID_WebBrowser) in this process creates
// stand-ins (the class object is registered CLSCTX_INPROC_SERVER,
// REGCLS_MULTIPLEUSE). COM must already be initialised on the thread, and
// stay so until the factory and the records it handed out are gone.
class StandInBrowserFactory {
public:
    StandInBrowserFactory();
    ~StandInBrowserFactory();
    StandInBrowserFactory(const StandInBrowserFactory&) = delete;
    StandInBrowserFactory& operator=(const StandInBrowserFactory&) = delete;

    HRESULT RegistrationResult() const { return m_hrRegister; }
    // Copied into each control's record at creation.
    StandInConfig& Defaults();
    // Every control created, in order; the records outlive the controls.
    std::vector<std::shared_ptr<StandInControl>> Controls() const;
    std::shared_ptr<StandInControl> Last() const;  // null before the first creation

    struct Shared;

private:
    std::shared_ptr<Shared> m_pShared;
    IClassFactory* m_pClassObject = nullptr;  // owned
    DWORD m_dwRegister = 0;
    HRESULT m_hrRegister = E_FAIL;
};
