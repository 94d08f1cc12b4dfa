#include "stand_in_state.h"
#include "stand_in_html_stubs.h"

#include "framework/interface_ids.h"

// Ownership runs one way, so that releasing what the host got frees
// everything: a window owns its document (and a frame window also the document
// holding the frame); a frames collection owns its document. Documents only
// remember their windows while those live.

namespace {

class CStandInWindow;

class CStandInDocument : public CStandInObject<CStubHTMLDocument2, IOleCommandTarget> {
public:
    CStandInDocument(std::shared_ptr<StandInState> pState, int iFrame)
        : CStandInObject(std::move(pState), iFrame < 0 ? "Document" : "FrameDocument"), m_iFrame(iFrame)
    {
    }

    // The frame's window, the same object while it lives.
    HRESULT FrameWindow(long iFrame, IHTMLWindow2** ppWindow);
    long FrameCount() const
    {
        return m_iFrame < 0 ? static_cast<long>(m_pState->config.frames.size()) : 0;
    }
    void AttachWindow(CStandInWindow* pWindow) { m_pWindow = pWindow; }
    void DetachWindow(CStandInWindow* pWindow);
    void DetachFrame(long iFrame, CStandInWindow* pWindow);
    // "Document" or "Frame[i].Document": the prefix of what it records.
    std::string Name() const
    {
        return m_iFrame < 0 ? std::string("Document") : "Frame[" + std::to_string(m_iFrame) + "].Document";
    }
    int FrameIndex() const { return m_iFrame; }

    // IHTMLDocument2
    HRESULT STDMETHODCALLTYPE get_activeElement(IHTMLElement** p) override;
    HRESULT STDMETHODCALLTYPE get_title(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_readyState(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_frames(IHTMLFramesCollection2** p) override;
    HRESULT STDMETHODCALLTYPE get_URL(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_parentWindow(IHTMLWindow2** p) override;

    // IOleCommandTarget
    HRESULT STDMETHODCALLTYPE QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT* pvaIn,
                                   VARIANT* pvaOut) override;

protected:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLDocument || riid == IID_IHTMLDocument2)
            return static_cast<IHTMLDocument2*>(this);
        if (riid == IID_IOleCommandTarget) return static_cast<IOleCommandTarget*>(this);
        return nullptr;
    }

private:
    const StandInDocumentConfig& Config() const;

    int m_iFrame;                                // -1 for the top-level document
    CStandInWindow* m_pWindow = nullptr;         // the parent window while it lives; not owned
    std::vector<CStandInWindow*> m_frameWindows;  // frame windows while they live; not owned
};

class CStandInWindow : public CStandInObject<CStubHTMLWindow2> {
public:
    // pDocument is the document shown; pOwner, for a frame window, the document holding the frame.
    CStandInWindow(std::shared_ptr<StandInState> pState, CStandInDocument* pDocument, CStandInDocument* pOwner)
        : CStandInObject(std::move(pState), pOwner ? "FrameWindow" : "Window"), m_spDocument(pDocument),
          m_spOwner(pOwner)
    {
        pDocument->AttachWindow(this);
    }
    ~CStandInWindow() override
    {
        Document()->DetachWindow(this);
        if (m_spOwner) static_cast<CStandInDocument*>(m_spOwner.p())->DetachFrame(Document()->FrameIndex(), this);
    }

    // IHTMLFramesCollection2
    HRESULT STDMETHODCALLTYPE item(VARIANT* pvarIndex, VARIANT* pvarResult) override;
    HRESULT STDMETHODCALLTYPE get_length(LONG* p) override;

    // IHTMLWindow2
    HRESULT STDMETHODCALLTYPE get_frames(IHTMLFramesCollection2** p) override
    {
        return Document()->get_frames(p);
    }
    HRESULT STDMETHODCALLTYPE get_document(IHTMLDocument2** p) override
    {
        if (!p) return E_POINTER;
        *p = m_spDocument;
        (*p)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE focus() override
    {
        m_pState->Record(Document()->FrameIndex() < 0 ? std::string("Window.focus")
                                                       : "Frame[" + std::to_string(Document()->FrameIndex()) +
                                                             "].Window.focus");
        return S_OK;
    }

protected:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLFramesCollection2 ||
            riid == IID_IHTMLWindow2)
            return static_cast<IHTMLWindow2*>(this);
        return nullptr;
    }

private:
    CStandInDocument* Document() const { return static_cast<CStandInDocument*>(m_spDocument.p()); }

    CComPtr<IHTMLDocument2> m_spDocument;  // the document shown
    CComPtr<IHTMLDocument2> m_spOwner;     // a frame window's containing document; null otherwise
};

class CStandInFrames : public CStandInObject<CStubHTMLFramesCollection2> {
public:
    CStandInFrames(std::shared_ptr<StandInState> pState, CStandInDocument* pDocument)
        : CStandInObject(std::move(pState), "Frames"), m_spDocument(pDocument)
    {
    }

    // IHTMLFramesCollection2
    HRESULT STDMETHODCALLTYPE item(VARIANT* pvarIndex, VARIANT* pvarResult) override;
    HRESULT STDMETHODCALLTYPE get_length(LONG* p) override;

protected:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLFramesCollection2)
            return static_cast<IHTMLFramesCollection2*>(this);
        return nullptr;
    }

private:
    CStandInDocument* Document() const { return static_cast<CStandInDocument*>(m_spDocument.p()); }

    CComPtr<IHTMLDocument2> m_spDocument;
};

// One class for every kind of element; QueryInterface decides which it is.
class CStandInElement
    : public CStandInObject<CStubHTMLElement, CStubHTMLInputTextElement, CStubHTMLTextAreaElement,
                            CStubHTMLInputFileElement, CStubHTMLObjectElement> {
public:
    CStandInElement(std::shared_ptr<StandInState> pState, StandInElementKind kind, std::wstring strType)
        : CStandInObject(std::move(pState), "Element"), m_kind(kind), m_strType(std::move(strType))
    {
    }

    // IHTMLInputTextElement, IHTMLTextAreaElement, IHTMLInputFileElement, IHTMLObjectElement
    HRESULT STDMETHODCALLTYPE get_type(BSTR* p) override
    {
        if (!p) return E_POINTER;
        *p = ::SysAllocString(m_strType.c_str());
        return S_OK;
    }

protected:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLElement)
            return static_cast<IHTMLElement*>(this);
        if (riid == IID_IHTMLInputTextElement && m_kind == StandInElementKind::InputText)
            return static_cast<IHTMLInputTextElement*>(this);
        if (riid == IID_IHTMLTextAreaElement && m_kind == StandInElementKind::TextArea)
            return static_cast<IHTMLTextAreaElement*>(this);
        if (riid == IID_IHTMLInputFileElement && m_kind == StandInElementKind::InputFile)
            return static_cast<IHTMLInputFileElement*>(this);
        if (riid == IID_IHTMLObjectElement && m_kind == StandInElementKind::Object)
            return static_cast<IHTMLObjectElement*>(this);
        return nullptr;
    }

private:
    StandInElementKind m_kind;
    std::wstring m_strType;
};

HRESULT FrameItem(CStandInDocument* pDocument, VARIANT* pvarIndex, VARIANT* pvarResult)
{
    if (!pvarIndex || !pvarResult) return E_POINTER;
    ::VariantInit(pvarResult);
    long iFrame = -1;
    switch (V_VT(pvarIndex)) {
    case VT_I4: iFrame = V_I4(pvarIndex); break;
    case VT_I2: iFrame = V_I2(pvarIndex); break;
    case VT_INT: iFrame = V_INT(pvarIndex); break;
    default: return E_INVALIDARG;  // frames by name are not offered
    }
    IHTMLWindow2* pWindow = nullptr;
    HRESULT hr = pDocument->FrameWindow(iFrame, &pWindow);
    if (FAILED(hr)) return hr;
    V_VT(pvarResult) = VT_DISPATCH;
    V_DISPATCH(pvarResult) = pWindow;
    return S_OK;
}

HRESULT FrameLength(CStandInDocument* pDocument, LONG* p)
{
    if (!p) return E_POINTER;
    *p = pDocument->FrameCount();
    return S_OK;
}

HRESULT CopyBstr(const std::wstring& str, BSTR* p)
{
    if (!p) return E_POINTER;
    *p = ::SysAllocString(str.c_str());
    return S_OK;
}

const StandInDocumentConfig& CStandInDocument::Config() const
{
    static const StandInDocumentConfig kMissingFrame;
    const StandInConfig& config = m_pState->config;
    if (m_iFrame < 0) return config.document;
    return static_cast<size_t>(m_iFrame) < config.frames.size() ? config.frames[m_iFrame] : kMissingFrame;
}

HRESULT CStandInDocument::FrameWindow(long iFrame, IHTMLWindow2** ppWindow)
{
    *ppWindow = nullptr;
    if (iFrame < 0 || iFrame >= FrameCount()) return E_INVALIDARG;
    if (m_frameWindows.size() <= static_cast<size_t>(iFrame)) m_frameWindows.resize(iFrame + 1);
    CStandInWindow*& pWindow = m_frameWindows[iFrame];
    if (pWindow) {
        pWindow->AddRef();
    } else {
        auto* pFrameDocument = new CStandInDocument(m_pState, iFrame);
        pWindow = new CStandInWindow(m_pState, pFrameDocument, this);
        pFrameDocument->Release();  // the window holds it now
    }
    *ppWindow = pWindow;
    return S_OK;
}

void CStandInDocument::DetachWindow(CStandInWindow* pWindow)
{
    if (m_pWindow == pWindow) m_pWindow = nullptr;
}

void CStandInDocument::DetachFrame(long iFrame, CStandInWindow* pWindow)
{
    if (iFrame >= 0 && static_cast<size_t>(iFrame) < m_frameWindows.size() && m_frameWindows[iFrame] == pWindow)
        m_frameWindows[iFrame] = nullptr;
}

HRESULT CStandInDocument::get_activeElement(IHTMLElement** p)
{
    if (!p) return E_POINTER;
    *p = nullptr;
    const StandInDocumentConfig& config = Config();
    if (config.activeElement == StandInElementKind::None) return S_OK;
    *p = static_cast<IHTMLElement*>(new CStandInElement(m_pState, config.activeElement, config.strActiveElementType));
    return S_OK;
}

HRESULT CStandInDocument::get_title(BSTR* p)
{
    return CopyBstr(Config().strTitle, p);
}

HRESULT CStandInDocument::get_readyState(BSTR* p)
{
    return CopyBstr(L"complete", p);
}

HRESULT CStandInDocument::get_frames(IHTMLFramesCollection2** p)
{
    if (!p) return E_POINTER;
    *p = new CStandInFrames(m_pState, this);
    return S_OK;
}

HRESULT CStandInDocument::get_URL(BSTR* p)
{
    return CopyBstr(Config().strURL, p);
}

HRESULT CStandInDocument::get_parentWindow(IHTMLWindow2** p)
{
    if (!p) return E_POINTER;
    if (m_pWindow) {
        m_pWindow->AddRef();
    } else {
        new CStandInWindow(m_pState, this, nullptr);  // attaches itself as m_pWindow
    }
    *p = m_pWindow;
    return S_OK;
}

HRESULT CStandInDocument::Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT* pvaIn,
                               VARIANT* pvaOut)
{
    m_pState->Record(Name() + ".Exec", {"Group=" + StandInGuidText(pguidCmdGroup), "CmdID=" + std::to_string(nCmdID),
                                        "Option=" + std::to_string(nCmdexecopt), "In=" + StandInVariantText(pvaIn),
                                        "Out=" + StandInSetText(pvaOut)});
    return m_pState->config.hrDocumentExec;
}

HRESULT CStandInWindow::item(VARIANT* pvarIndex, VARIANT* pvarResult)
{
    return FrameItem(Document(), pvarIndex, pvarResult);
}

HRESULT CStandInWindow::get_length(LONG* p)
{
    return FrameLength(Document(), p);
}

HRESULT CStandInFrames::item(VARIANT* pvarIndex, VARIANT* pvarResult)
{
    return FrameItem(Document(), pvarIndex, pvarResult);
}

HRESULT CStandInFrames::get_length(LONG* p)
{
    return FrameLength(Document(), p);
}

}  // namespace

IDispatch* NewStandInDocument(std::shared_ptr<StandInState> pState)
{
    return static_cast<IHTMLDocument2*>(new CStandInDocument(std::move(pState), -1));
}
