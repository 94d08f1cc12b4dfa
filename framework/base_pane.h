#pragma once
#include "afxres.h"
#include "wnd.h"

// Bar styles kept in a pane's style (not the window's).
#define CBRS_ALIGN_LEFT     0x1000L
#define CBRS_ALIGN_TOP      0x2000L
#define CBRS_ALIGN_RIGHT    0x4000L
#define CBRS_ALIGN_BOTTOM   0x8000L
#define CBRS_ALIGN_ANY      0xF000L
#define CBRS_BORDER_LEFT    0x0100L
#define CBRS_BORDER_TOP     0x0200L
#define CBRS_BORDER_RIGHT   0x0400L
#define CBRS_BORDER_BOTTOM  0x0800L
#define CBRS_BORDER_ANY     0x0F00L
#define CBRS_TOOLTIPS       0x0010L
#define CBRS_FLYBY          0x0020L
#define CBRS_FLOAT_MULTI    0x0040L
#define CBRS_BORDER_3D      0x0080L
#define CBRS_HIDE_INPLACE   0x0008L
#define CBRS_SIZE_DYNAMIC   0x0004L
#define CBRS_SIZE_FIXED     0x0002L
#define CBRS_FLOATING       0x0001L
#define CBRS_GRIPPER        0x00400000L
#define CBRS_TOP            (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_BOTTOM         (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)
#define AFX_DEFAULT_TOOLBAR_STYLE (WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_HIDE_INPLACE)

// A bar of a frame window: toolbars, menu bar, rebar and status bar. The
// frame lays out its visible panes along its edges by their alignment and
// gives the client view what is left.
class CBasePane : public CWnd {
public:
    CBasePane() = default;

    // The size the pane wants along its edge: its height for a top or bottom pane.
    virtual SIZE CalcFixedLayout(BOOL bStretch, BOOL bHorz);
    DWORD GetPaneStyle() const { return m_dwStyle; }
    virtual void SetPaneStyle(DWORD dwStyle) { m_dwStyle = dwStyle; }
    // Which frame edges the pane may dock to (CBRS_ALIGN_ bits).
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle; }
    // The edge the pane sits on: CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, ... from its style.
    DWORD GetCurrentAlignment() const { return m_dwStyle & CBRS_ALIGN_ANY; }

protected:
    DWORD m_dwStyle = 0;      // CBRS_ styles
    DWORD m_dwDockStyle = 0;  // CBRS_ALIGN_ bits docking is enabled for
};
