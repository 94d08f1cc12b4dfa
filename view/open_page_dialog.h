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

    // lpszFilter in the "label|patterns|...||" notation.
    COpenPageDialog(LPCWSTR lpszFilter, LPCWSTR lpszTitle);
    COpenPageDialog(const COpenPageDialog&) = delete;
    COpenPageDialog& operator=(const COpenPageDialog&) = delete;

    // Shows the dialog (no owner window); IDOK when a file was chosen, IDCANCEL otherwise.
    INT_PTR DoModal();
    // Full path of the chosen file.
    CString GetPathName() const { return m_strPathName; }

    // The label and pattern pairs of a filter; an unpaired trailing label is dropped.
    static std::vector<CFilterEntry> ParseFilter(LPCWSTR lpszFilter);

private:
    INT_PTR ShowItemDialog(bool* pbShown);
    INT_PTR ShowClassicDialog();

    std::vector<CFilterEntry> m_filter;
    CString m_strTitle;
    CString m_strPathName;
};
