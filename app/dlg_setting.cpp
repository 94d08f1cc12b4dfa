#include "dlg_setting.h"
#include "tarnwick_app.h"
#include "../res/resource.h"

BEGIN_MESSAGE_MAP(DlgSetting, CDialog)
    ON_COMMAND(IDOK, OnOK)
END_MESSAGE_MAP()

DlgSetting::DlgSetting(CWnd* pParentWnd) : CDialog(IDD_OPTIONS, pParentWnd)
{
}

DlgSetting::~DlgSetting() = default;

BOOL DlgSetting::OnInitDialog()
{
    CDialog::OnInitDialog();
    // What is stored now, which need not be what this process started with.
    ::SendDlgItemMessageW(m_hWnd, IDC_FORCE_COMPAT_MODE, BM_SETCHECK,
                          theApp.ReadCompatMode() ? BST_CHECKED : BST_UNCHECKED, 0);
    const struct {
        int nControl;
        UINT nString;
    } texts[] = {
        {IDC_FORCE_COMPAT_MODE, IDS_COMPAT_CHECK},
        {IDC_COMPAT_NOTE, IDS_COMPAT_NOTE},
        {IDC_COMPAT_DETAIL, IDS_COMPAT_DETAIL},
    };
    for (const auto& text : texts) {
        CString strText;
        strText.LoadString(text.nString);
        ::SetDlgItemTextW(m_hWnd, text.nControl, strText);
    }
    return TRUE;
}

void DlgSetting::OnOK()
{
    // Written on every OK, also unchanged; an unchecked box stores 0 rather than removing the value.
    BOOL bChecked = ::SendDlgItemMessageW(m_hWnd, IDC_FORCE_COMPAT_MODE, BM_GETCHECK, 0, 0) == BST_CHECKED;
    theApp.WriteCompatMode(bChecked ? kCompatModeOn : 0);
    CDialog::OnOK();
}
