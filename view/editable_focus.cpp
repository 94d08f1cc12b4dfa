#include "editable_focus.h"
#include "../framework/afx.h"

namespace {

enum class ElementAnswer { Editable, NotEditable, EmptyType, NoKind };

// The answer of the first text interface the element has, or whether it is an object.
template <class TElement>
bool ReadType(IHTMLElement* pElement, REFIID riid, ElementAnswer* pAnswer)
{
    CComPtr<TElement> pText;
    if (FAILED(pElement->QueryInterface(riid, reinterpret_cast<void**>(&pText))) || !pText) return false;
    CComBSTR bstrType;
    pText->get_type(&bstrType);
    CString strType(bstrType);
    *pAnswer = strType.Trim().IsEmpty() ? ElementAnswer::EmptyType : ElementAnswer::Editable;
    return true;
}

ElementAnswer ExamineActiveElement(IHTMLDocument2* pDocument)
{
    CComPtr<IHTMLElement> pElement;
    if (FAILED(pDocument->get_activeElement(&pElement)) || !pElement) return ElementAnswer::NotEditable;
    ElementAnswer answer = ElementAnswer::NoKind;
    if (ReadType<IHTMLInputTextElement>(pElement, IID_IHTMLInputTextElement, &answer) ||
        ReadType<IHTMLTextAreaElement>(pElement, IID_IHTMLTextAreaElement, &answer) ||
        ReadType<IHTMLInputFileElement>(pElement, IID_IHTMLInputFileElement, &answer)) {
        return answer;
    }
    CComPtr<IHTMLObjectElement> pObject;
    if (SUCCEEDED(pElement->QueryInterface(IID_IHTMLObjectElement, reinterpret_cast<void**>(&pObject))) && pObject) {
        return ElementAnswer::Editable;  // an embedded object or control may hold the focus
    }
    return ElementAnswer::NoKind;
}

}  // namespace

BOOL HasEditableFocus(IHTMLDocument2* pDocument)
{
    if (!pDocument) return FALSE;
    CComPtr<IHTMLElement> pElement;
    if (FAILED(pDocument->get_activeElement(&pElement)) || !pElement) return FALSE;
    switch (ExamineActiveElement(pDocument)) {
    case ElementAnswer::Editable: return TRUE;
    case ElementAnswer::NotEditable: return FALSE;
    default: return FindEditableFocusInFrames(pDocument);  // the active element may be a frame
    }
}

BOOL FindEditableFocusInFrames(IHTMLDocument2* pDocument)
{
    if (!pDocument) return FALSE;
    CComPtr<IHTMLFramesCollection2> pFrames;
    if (FAILED(pDocument->get_frames(&pFrames)) || !pFrames) return FALSE;
    long nFrames = 0;
    pFrames->get_length(&nFrames);
    if (nFrames == 0) return ExamineActiveElement(pDocument) == ElementAnswer::Editable;
    for (long i = 0; i < nFrames; ++i) {
        COleVariant vIndex;
        vIndex.vt = VT_I4;
        vIndex.lVal = i;
        COleVariant vFrame;
        if (FAILED(pFrames->item(vIndex.p(), &vFrame))) continue;
        CComPtr<IHTMLWindow2> pWindow;
        CComPtr<IHTMLDocument2> pFrameDocument;
        if (vFrame.vt == VT_DISPATCH && vFrame.pdispVal &&
            SUCCEEDED(vFrame.pdispVal->QueryInterface(IID_IHTMLWindow2, reinterpret_cast<void**>(&pWindow))) &&
            pWindow && SUCCEEDED(pWindow->get_document(&pFrameDocument)) && pFrameDocument &&
            HasEditableFocus(pFrameDocument)) {
            return TRUE;
        }
    }
    return FALSE;
}
