#include "about_dlg.h"
#include "../res/resource.h"

#include <shellapi.h>

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
    ON_BN_CLICKED(IDC_RUN_CMD, OnRunCmd)
    ON_BN_CLICKED(IDC_RUN_REGEDIT, OnRunRegedit)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX)
{
}

CAboutDlg::~CAboutDlg() = default;

// The tools are found on the shell's search path and not waited for; the box stays open.
void CAboutDlg::OnRunCmd()
{
    ::ShellExecuteW(nullptr, L"open", L"cmd.exe", nullptr, nullptr, SW_SHOW);
}

void CAboutDlg::OnRunRegedit()
{
    ::ShellExecuteW(nullptr, L"open", L"regedit.exe", nullptr, nullptr, SW_SHOW);
}
