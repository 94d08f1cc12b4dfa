#pragma once
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "afxres.h"
#include "base_pane.h"
#include "cstring.h"
#include "handles.h"

// Pane styles; the border bits are the control's own part types.
#define SBPS_NORMAL     0x0000
#define SBPS_NOBORDERS  SBT_NOBORDERS
#define SBPS_POPOUT     SBT_POPOUT
#define SBPS_DISABLED   0x04000000
#define SBPS_STRETCH    0x08000000

// A status bar on the common control, one part per indicator. Stretch panes
// share the width the others leave; a pane may carry an icon (the bar owns a
// copy) and a progress bar, which the bar paints over its part.
class CMFCStatusBar : public CBasePane {
public:
    CMFCStatusBar() = default;
    ~CMFCStatusBar() override;

    // The CBRS_ bits of dwStyle (its low word and CBRS_GRIPPER) become the pane style; the rest goes to the window.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT nID = AFX_IDW_STATUS_BAR);
    // One pane per id; a pane other than ID_SEPARATOR shows the string with its id and is as wide as that text.
    // FALSE, with the panes unchanged, when such a string is missing.
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);

    int GetCount() const { return static_cast<int>(m_panes.size()); }
    UINT GetItemID(int nIndex) const;
    // The first pane with that id, or -1.
    int CommandToIndex(UINT nIDFind) const;

    UINT GetPaneStyle(int nIndex) const;
    void SetPaneStyle(int nIndex, UINT nStyle);
    // The width of the pane's text area: its part also holds the icon and the borders.
    int GetPaneWidth(int nIndex) const;
    void SetPaneWidth(int nIndex, int cx);
    // The bar shows its own copy of hIcon; null removes the icon.
    void SetPaneIcon(int nIndex, HICON hIcon, BOOL bUpdate = TRUE);
    // The bar takes the icon itself, without a copy; with an index out of range it stays with the caller.
    void SetPaneIcon(int nIndex, CIconHandle&& icon, BOOL bUpdate = TRUE);
    // bUpdate repaints the pane at once instead of at the next WM_PAINT.
    void SetPaneText(int nIndex, LPCWSTR lpszNewText, BOOL bUpdate = TRUE);
    CString GetPaneText(int nIndex) const;
    // Hides CWnd's: the text goes to the first ID_SEPARATOR pane, as WM_SETTEXT does.
    void SetWindowText(LPCWSTR lpszString);

    // Restarts the pane's bar at 0; a total of 0 or less removes it. A colour of -1 (CLR_NONE) takes the
    // system's. The bar is drawn in one colour: no shading to clrBarDest and no percentage text.
    void EnablePaneProgressBar(int nIndex, long nTotal = 100, BOOL bDisplayText = FALSE, COLORREF clrBar = CLR_NONE,
                               COLORREF clrBarDest = CLR_NONE, COLORREF clrProgressText = CLR_NONE);
    // nCurr is clamped to 0..total; panes without a bar ignore it.
    void SetPaneProgress(int nIndex, long nCurr, BOOL bUpdate = TRUE);
    // -1 for a pane without a bar.
    long GetPaneProgress(int nIndex) const;

    // The bar's style still reads and writes through the base.
    using CBasePane::GetPaneStyle;
    using CBasePane::SetPaneStyle;

    // CBasePane overrides
    SIZE CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;

protected:
    // Messages
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetText(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetTextLength(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    struct Pane {
        UINT nID = ID_SEPARATOR;
        UINT nStyle = SBPS_NORMAL;
        int cxText = 0;              // width without icon and borders
        CString strText;
        CIconHandle hIcon;           // the bar's own copy
        int cxIcon = 0;
        long nTotal = 0;             // progress total; 0: no bar
        long nCurr = 0;
        COLORREF clrBar = CLR_NONE;
    };

    bool IsValidIndex(int nIndex) const { return nIndex >= 0 && nIndex < GetCount(); }
    HFONT GetBarFont() const;
    int GetTextWidth(LPCWSTR lpszText) const;
    static int GetPartWidth(const Pane& pane);
    // Recomputes the parts from the panes and the bar's width and hands every pane to the control.
    void RecalcLayout();
    void ApplyPaneText(int nIndex);
    void InvalidatePane(int nIndex, BOOL bUpdate);
    void DrawProgress(HDC hDC, int nIndex);

    std::vector<Pane> m_panes;
};
