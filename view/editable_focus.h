#pragma once
#include <mshtml.h>

// Whether the element with the focus in the document (or, for a frame, in
// the frame's document, depth first) accepts typed text or is an embedded
// object: then Cut and Paste act on the page.
BOOL HasEditableFocus(IHTMLDocument2* pDocument);
BOOL FindEditableFocusInFrames(IHTMLDocument2* pDocument);
