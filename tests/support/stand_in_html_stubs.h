#pragma once
#include <windows.h>
#include <mshtml.h>

// Every method of the document, window and element interfaces the stand-in
// offers, each answering E_NOTIMPL, so that a stand-in class overrides only
// what it supports. The signatures follow mingw's <mshtml.h>. IUnknown is left
// to the stand-in classes.

class CStubHTMLDocument2 : public IHTMLDocument2 {
public:
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    // IHTMLDocument
    HRESULT STDMETHODCALLTYPE get_Script(IDispatch**) override { return E_NOTIMPL; }
    // IHTMLDocument2
    HRESULT STDMETHODCALLTYPE get_all(IHTMLElementCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_body(IHTMLElement**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_activeElement(IHTMLElement**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_images(IHTMLElementCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_applets(IHTMLElementCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_links(IHTMLElementCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_forms(IHTMLElementCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_anchors(IHTMLElementCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_title(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_title(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_scripts(IHTMLElementCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_designMode(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_designMode(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_selection(IHTMLSelectionObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_readyState(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_frames(IHTMLFramesCollection2**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_embeds(IHTMLElementCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_plugins(IHTMLElementCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_alinkColor(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_alinkColor(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_bgColor(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_bgColor(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_fgColor(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_fgColor(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_linkColor(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_linkColor(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_vlinkColor(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_vlinkColor(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_referrer(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_location(IHTMLLocation**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_lastModified(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_URL(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_URL(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_domain(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_domain(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_cookie(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_cookie(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_expando(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_expando(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_charset(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_charset(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_defaultCharset(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_defaultCharset(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_mimeType(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_fileSize(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_fileCreatedDate(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_fileModifiedDate(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_fileUpdatedDate(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_security(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_protocol(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_nameProp(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE write(SAFEARRAY*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE writeln(SAFEARRAY*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE open(BSTR, VARIANT, VARIANT, VARIANT, IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE close() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE clear() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE queryCommandSupported(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE queryCommandEnabled(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE queryCommandState(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE queryCommandIndeterm(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE queryCommandText(BSTR, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE queryCommandValue(BSTR, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE execCommand(BSTR, VARIANT_BOOL, VARIANT, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE execCommandShowHelp(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE createElement(BSTR, IHTMLElement**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onhelp(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onhelp(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onclick(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onclick(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ondblclick(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ondblclick(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onkeyup(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onkeyup(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onkeydown(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onkeydown(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onkeypress(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onkeypress(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onmouseup(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onmouseup(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onmousedown(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onmousedown(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onmousemove(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onmousemove(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onmouseout(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onmouseout(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onmouseover(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onmouseover(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onreadystatechange(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onreadystatechange(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onafterupdate(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onafterupdate(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onrowexit(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onrowexit(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onrowenter(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onrowenter(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ondragstart(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ondragstart(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onselectstart(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onselectstart(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE elementFromPoint(LONG, LONG, IHTMLElement**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_parentWindow(IHTMLWindow2**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_styleSheets(IHTMLStyleSheetsCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onbeforeupdate(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onbeforeupdate(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onerrorupdate(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onerrorupdate(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE toString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE createStyleSheet(BSTR, LONG, IHTMLStyleSheet**) override { return E_NOTIMPL; }
};

class CStubHTMLWindow2 : public IHTMLWindow2 {
public:
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    // IHTMLFramesCollection2
    HRESULT STDMETHODCALLTYPE item(VARIANT*, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_length(LONG*) override { return E_NOTIMPL; }
    // IHTMLWindow2
    HRESULT STDMETHODCALLTYPE get_frames(IHTMLFramesCollection2**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_defaultStatus(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_defaultStatus(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_status(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_status(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE setTimeout(BSTR, LONG, VARIANT*, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE clearTimeout(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE alert(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE confirm(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE prompt(BSTR, BSTR, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Image(IHTMLImageElementFactory**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_location(IHTMLLocation**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_history(IOmHistory**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE close() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_opener(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_opener(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_navigator(IOmNavigator**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_name(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_name(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_parent(IHTMLWindow2**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE open(BSTR, BSTR, BSTR, VARIANT_BOOL, IHTMLWindow2**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_self(IHTMLWindow2**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_top(IHTMLWindow2**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_window(IHTMLWindow2**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE navigate(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onfocus(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onfocus(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onblur(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onblur(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onload(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onload(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onbeforeunload(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onbeforeunload(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onunload(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onunload(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onhelp(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onhelp(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onerror(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onerror(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onresize(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onresize(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onscroll(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onscroll(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_document(IHTMLDocument2**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_event(IHTMLEventObj**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get__newEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE showModalDialog(BSTR, VARIANT*, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE showHelp(BSTR, VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_screen(IHTMLScreen**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Option(IHTMLOptionElementFactory**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE focus() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_closed(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE blur() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE scroll(LONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_clientInformation(IOmNavigator**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE setInterval(BSTR, LONG, VARIANT*, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE clearInterval(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_offscreenBuffering(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_offscreenBuffering(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE execScript(BSTR, BSTR, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE toString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE scrollBy(LONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE scrollTo(LONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE moveTo(LONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE moveBy(LONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE resizeTo(LONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE resizeBy(LONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_external(IDispatch**) override { return E_NOTIMPL; }
};

class CStubHTMLFramesCollection2 : public IHTMLFramesCollection2 {
public:
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    // IHTMLFramesCollection2
    HRESULT STDMETHODCALLTYPE item(VARIANT*, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_length(LONG*) override { return E_NOTIMPL; }
};

class CStubHTMLElement : public IHTMLElement {
public:
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    // IHTMLElement
    HRESULT STDMETHODCALLTYPE setAttribute(BSTR, VARIANT, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE getAttribute(BSTR, LONG, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE removeAttribute(BSTR, LONG, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_className(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_className(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_id(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_id(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_tagName(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_parentElement(IHTMLElement**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_style(IHTMLStyle**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onhelp(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onhelp(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onclick(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onclick(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ondblclick(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ondblclick(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onkeydown(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onkeydown(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onkeyup(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onkeyup(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onkeypress(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onkeypress(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onmouseout(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onmouseout(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onmouseover(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onmouseover(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onmousemove(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onmousemove(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onmousedown(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onmousedown(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onmouseup(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onmouseup(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_document(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_title(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_title(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_language(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_language(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onselectstart(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onselectstart(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE scrollIntoView(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE contains(IHTMLElement*, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_sourceIndex(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_recordNumber(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_lang(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_lang(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_offsetLeft(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_offsetTop(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_offsetWidth(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_offsetHeight(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_offsetParent(IHTMLElement**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_innerHTML(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_innerHTML(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_innerText(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_innerText(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_outerHTML(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_outerHTML(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_outerText(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_outerText(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE insertAdjacentHTML(BSTR, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE insertAdjacentText(BSTR, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_parentTextEdit(IHTMLElement**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_isTextEdit(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE click() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_filters(IHTMLFiltersCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ondragstart(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ondragstart(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE toString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onbeforeupdate(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onbeforeupdate(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onafterupdate(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onafterupdate(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onerrorupdate(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onerrorupdate(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onrowexit(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onrowexit(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onrowenter(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onrowenter(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ondatasetchanged(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ondatasetchanged(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ondataavailable(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ondataavailable(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ondatasetcomplete(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ondatasetcomplete(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onfilterchange(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onfilterchange(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_children(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_all(IDispatch**) override { return E_NOTIMPL; }
};

class CStubHTMLInputTextElement : public IHTMLInputTextElement {
public:
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    // IHTMLInputTextElement
    HRESULT STDMETHODCALLTYPE get_type(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_value(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_value(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_name(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_name(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_status(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_status(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_disabled(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_disabled(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_form(IHTMLFormElement**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_defaultValue(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_defaultValue(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_size(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_size(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_maxLength(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_maxLength(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE select() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onchange(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onchange(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onselect(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onselect(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_readOnly(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_readOnly(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE createTextRange(IHTMLTxtRange**) override { return E_NOTIMPL; }
};

class CStubHTMLTextAreaElement : public IHTMLTextAreaElement {
public:
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    // IHTMLTextAreaElement
    HRESULT STDMETHODCALLTYPE get_type(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_value(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_value(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_name(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_name(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_status(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_status(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_disabled(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_disabled(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_form(IHTMLFormElement**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_defaultValue(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_defaultValue(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE select() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onchange(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onchange(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onselect(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onselect(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_readOnly(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_readOnly(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_rows(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_rows(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_cols(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_cols(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_wrap(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_wrap(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE createTextRange(IHTMLTxtRange**) override { return E_NOTIMPL; }
};

class CStubHTMLInputFileElement : public IHTMLInputFileElement {
public:
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    // IHTMLInputFileElement
    HRESULT STDMETHODCALLTYPE get_type(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_name(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_name(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_status(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_status(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_disabled(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_disabled(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_form(IHTMLFormElement**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_size(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_size(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_maxLength(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_maxLength(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE select() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onchange(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onchange(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onselect(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onselect(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_value(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_value(BSTR*) override { return E_NOTIMPL; }
};

class CStubHTMLObjectElement : public IHTMLObjectElement {
public:
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    // IHTMLObjectElement
    HRESULT STDMETHODCALLTYPE get_object(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_classid(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_data(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE putref_recordset(IDispatch*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_recordset(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_align(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_align(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_name(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_name(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_codeBase(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_codeBase(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_codeType(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_codeType(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_code(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_code(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_BaseHref(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_type(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_type(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_form(IHTMLFormElement**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_width(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_width(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_height(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_height(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_readyState(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onreadystatechange(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onreadystatechange(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_onerror(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_onerror(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_altHtml(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_altHtml(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_vspace(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_vspace(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_hspace(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_hspace(LONG*) override { return E_NOTIMPL; }
};
