#pragma once
#include "../framework/afx.h"

// The about box: the program's icon, name and version from its template, and
// two buttons that start the system's command prompt and registry editor.
class CAboutDlg : public CDialog {
public:
    // No parent: the box goes in front of the frame the command came from.
    CAboutDlg();
    ~CAboutDlg() override;

protected:
    // Commands
    afx_msg void OnRunCmd();
    afx_msg void OnRunRegedit();
    DECLARE_MESSAGE_MAP()
};
