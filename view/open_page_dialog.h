#pragma once
#include "../framework/afx.h"

#include <vector>

// The dialog of File > Open: one file to show in the view. It takes the
// platform's newer item dialog where there is one, the classic dialog otherwise.
class COpenPageDialog {
public:
    struct CFilterEntry {
        CString strLabel;
        CString strPatterns;
    };

    // lpszFilter in the "label|patterns|...||" notation. pParentWnd null: the owner is the frame
    // routing the current command, else the main window; a child window stands for its top-level window.
    COpenPageDialog(LPCWSTR lpszFilter, LPCWSTR lpszTitle, CWnd* pParentWnd = nullptr);
    COpenPageDialog(const COpenPageDialog&) = delete;
    COpenPageDialog& operator=(const COpenPageDialog&) = delete;

    // Shows the dialog in front of its owner, which stays disabled until it closes and is active
    // afterwards; the process's current directory is left as it was. IDOK when a file was chosen,
    // IDCANCEL otherwise.
    INT_PTR DoModal();
    // Full path of the chosen file.
    CString GetPathName() const { return m_strPathName; }

    // The label and pattern pairs of a filter; an unpaired trailing label is dropped.
    static std::vector<CFilterEntry> ParseFilter(LPCWSTR lpszFilter);

private:
    HWND FindOwner() const;
    INT_PTR ShowItemDialog(HWND hWndOwner, bool* pbShown);
    INT_PTR ShowClassicDialog(HWND hWndOwner);

    std::vector<CFilterEntry> m_filter;
    CString m_strTitle;
    CString m_strPathName;
    CWnd* m_pParentWnd;  // as given to the constructor; not owned
};
