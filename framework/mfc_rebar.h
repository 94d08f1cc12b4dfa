#pragma once
#include "base_pane.h"

#include <commctrl.h>

// A rebar holding bars as bands, on the common rebar control.
class CMFCReBar : public CBasePane {
public:
    CMFCReBar() = default;

    BOOL Create(CWnd* pParentWnd, DWORD dwCtrlStyle = RBS_BANDBORDERS,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | CBRS_TOP,
                UINT nID = AFX_IDW_REBAR);
    // Puts pBar into a new last band; the bar's window becomes the band's child.
    BOOL AddBar(CWnd* pBar, LPCWSTR pszText = nullptr, HBITMAP hbmp = nullptr,
                DWORD dwStyle = RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP);
    int GetBandCount() const { return static_cast<int>(::SendMessageW(m_hWnd, RB_GETBANDCOUNT, 0, 0)); }

    // CBasePane overrides
    SIZE CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
};
