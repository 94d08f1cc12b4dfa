#pragma once
#include <windows.h>

// The item list of a popup about to open, as the frame's popup hook sees it.
// It works on the popup's own menu, so what the hook changes is what opens.
class CMFCPopupMenuBar {
public:
    explicit CMFCPopupMenuBar(HMENU hMenu) : m_hMenu(hMenu) {}

    // Position of the first item with the command, or -1.
    int CommandToIndex(UINT nIDFind) const;
    // Replaces every item with copies of hMenu's items (submenus copied too).
    BOOL ImportFromMenu(HMENU hMenu);
    HMENU GetHMenu() const { return m_hMenu; }

    // Appends copies of hSource's items to hTarget; false when a copy failed.
    static bool AppendCopies(HMENU hTarget, HMENU hSource);

private:
    HMENU m_hMenu;  // not owned
};

// A popup menu about to open from the menu bar or a toolbar drop-down.
class CMFCPopupMenu {
public:
    explicit CMFCPopupMenu(HMENU hMenu) : m_bar(hMenu) {}
    CMFCPopupMenu(const CMFCPopupMenu&) = delete;
    CMFCPopupMenu& operator=(const CMFCPopupMenu&) = delete;

    CMFCPopupMenuBar* GetMenuBar() { return &m_bar; }
    HMENU GetHMenu() const { return m_bar.GetHMenu(); }

private:
    CMFCPopupMenuBar m_bar;
};
