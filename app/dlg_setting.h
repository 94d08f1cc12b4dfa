#pragma once
#include "../framework/afx.h"

// The options dialog: shows the stored compatibility value and stores the box's
// state on OK. The running process keeps its user agent; the note says so.
class DlgSetting : public CDialog {
public:
    explicit DlgSetting(CWnd* pParentWnd);
    ~DlgSetting() override;

    // CDialog overrides
    BOOL OnInitDialog() override;

protected:
    // Commands
    afx_msg void OnOK() override;
    DECLARE_MESSAGE_MAP()
};
