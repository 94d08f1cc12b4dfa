#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// Drives the modal dialog this thread is running, from a thread timer that the
// dialog's own message loop dispatches. Each step gets the dialog's window and
// returns true once it is done; a step that returns false is tried again on the
// next tick. Steps act as a user would: they post clicks and keys and read state.
// If the steps have not all run by the time-out, the dialog is cancelled so the
// test goes on, and Finished() stays false.
class DialogScript {
public:
    using Step = std::function<bool(HWND hDlg)>;
    explicit DialogScript(std::vector<Step> steps, DWORD dwTimeoutMs = 10000);
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    bool Finished() const { return m_nNext == m_steps.size(); }

    // The visible dialog box of this thread, or null.
    static HWND FindDialog();

    // Common steps.
    static Step Click(int nID);                  // posts BM_CLICK to the control
    static Step Key(WORD vk);                    // posts the key's down and up to the focused window
    static Step Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);  // to the dialog
    static Step Check(const std::function<void(HWND hDlg)>& check);        // runs gtest checks once

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    std::vector<Step> m_steps;
    size_t m_nNext = 0;
    DWORD m_dwStart;
    DWORD m_dwTimeoutMs;
    UINT_PTR m_nTimer;
    bool m_bCancelled = false;
};

// The text of a window of this process.
std::wstring WindowText(HWND hWnd);
