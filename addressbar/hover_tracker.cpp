#include "hover_tracker.h"

namespace {

void RequestLeave(HWND hWnd, DWORD dwFlags)
{
    TRACKMOUSEEVENT tme{sizeof(tme), dwFlags, hWnd, 0};
    ::TrackMouseEvent(&tme);
}

}  // namespace

void CHoverTracker::Init(HWND hWndOwner, WORD wFlags)
{
    m_hWndOwner = hWndOwner;
    m_wFlags = wFlags;
}

bool CHoverTracker::OnMouseMove(HWND hWndSource)
{
    if (!m_hWndOwner) return false;
    if (!hWndSource) hWndSource = m_hWndOwner;
    if (!m_bHover) {
        m_bHover = true;
        OnHoverChanged();
        RequestLeave(hWndSource, TME_LEAVE);
        m_hWndTrack = hWndSource;
        return true;
    }
    if (hWndSource == m_hWndTrack) return false;
    // The pointer crossed between the owner and its child: still inside the area, so only the leave request moves.
    RequestLeave(m_hWndTrack, TME_CANCEL | TME_LEAVE);
    RequestLeave(hWndSource, TME_LEAVE);
    m_hWndTrack = hWndSource;
    return false;
}

bool CHoverTracker::OnMouseLeave(HWND hWndSource)
{
    // Without an owner there is nothing to repaint; a null window would invalidate every window.
    if (!m_hWndOwner) return false;
    if (!hWndSource) hWndSource = m_hWndOwner;
    // A leave from the window tracking has already moved away from is stale.
    if (hWndSource != m_hWndTrack) return false;
    if (!m_bHover) {
        if (m_wFlags & HOVER_REPAINT) ::InvalidateRect(m_hWndOwner, nullptr, FALSE);
        return false;
    }
    m_bHover = false;
    OnHoverChanged();
    return true;
}

void CHoverTracker::OnHoverChanged() const
{
    // No erase: the system paints the whole control again over the old look.
    if (m_wFlags & HOVER_REPAINT) ::InvalidateRect(m_hWndOwner, nullptr, FALSE);
    if (m_wFlags & HOVER_FRAMECHANGE) {
        ::SetWindowPos(m_hWndOwner, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    }
}
