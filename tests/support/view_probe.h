#pragma once
#include "view/child_view.h"

// What a view keeps to itself, readable by the tests: through members named as this derived class's,
// so that the view of any frame can be read, not only one made as a probe.
class CViewProbe : public CChildView {
public:
    static CBrowserSubWnd& BrowserWnd(CChildView& view) { return view.*&CViewProbe::m_wndBrowser; }
    static WindowRequest& Request(CChildView& view) { return view.*&CViewProbe::m_winRequest; }
    static CDocHostUIHandler& DocHostUIHandler(CChildView& view) { return view.*&CViewProbe::m_docHostUIHandler; }
    static AmbientProps1& AmbientProps(CChildView& view) { return view.*&CViewProbe::m_ambientProps; }
    static CDocHostShowUI& DocHostShowUI(CChildView& view) { return view.*&CViewProbe::m_docHostShowUI; }
    static BOOL& ResizingFrame(CChildView& view) { return view.*&CViewProbe::m_bResizingFrame; }
};
