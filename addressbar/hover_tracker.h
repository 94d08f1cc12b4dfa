#pragma once
#include "../framework/afx.h"

// Hover state of a window and one child that together count as one area (a
// combo and its edit): the owner is repainted when the pointer enters or
// leaves the area, not when it crosses between the two windows. Held by value;
// no virtual operations.
struct CHoverTracker {
    static constexpr WORD HOVER_REPAINT = 0x1;      // invalidate the owner when the hover state changes
    static constexpr WORD HOVER_FRAMECHANGE = 0x2;  // make the owner recalculate its frame when the hover state changes

    // Forgets the hover state.
    void Reset() { m_bHover = false; }
    void Init(HWND hWndOwner, WORD wFlags);
    // The pointer moved over hWndSource (null: the owner); true when the hover state was just entered.
    bool OnMouseMove(HWND hWndSource);
    // hWndSource (null: the owner) reported that the pointer left it; true when the hover state was just left.
    bool OnMouseLeave(HWND hWndSource);

    HWND m_hWndOwner = nullptr;  // the window whose hover state this is and that is repainted; not owned
    HWND m_hWndTrack = nullptr;  // the window a mouse-leave notification is currently requested for
    WORD m_wFlags = 0;           // HOVER_ flags
    bool m_bHover = false;       // the pointer is over the owner or its child

private:
    void OnHoverChanged() const;
};
