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

// The system's own tools, by their full paths: a bare name would be looked for in the working directory,
// beside the program and in per-user registrations first. They are not waited for; the box stays open.
void CAboutDlg::OnRunCmd()
{
    CString strProgram = AfxGetSystemFilePath(L"cmd.exe");
    if (!strProgram.IsEmpty()) ::ShellExecuteW(nullptr, L"open", strProgram, nullptr, nullptr, SW_SHOW);
}

void CAboutDlg::OnRunRegedit()
{
    CString strProgram = AfxGetSystemWindowsFilePath(L"regedit.exe");
    if (!strProgram.IsEmpty()) ::ShellExecuteW(nullptr, L"open", strProgram, nullptr, nullptr, SW_SHOW);
}
