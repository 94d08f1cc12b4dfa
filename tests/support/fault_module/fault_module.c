#define FAULT_MODULE_BUILD
#include "fault_module.h"

static int g_nOwnFaultsTaken;
static UINT g_nFaultMessage;

void FaultModuleNullWrite(void)
{
    volatile int* volatile volatile_null = 0;
    *volatile_null = 1;
}

// The module's own handler, as a __try/__except of its own would be: it
// resumes at FaultModuleRecovered, in the same frame as the fault.
EXCEPTION_DISPOSITION FaultModuleOwnHandler(EXCEPTION_RECORD* pRecord, void* pFrame, CONTEXT* pContext, void* pDispatch);
extern char FaultModuleRecovered[];

__asm__(
    "    .text\n"
    "    .p2align 4\n"
    "    .globl FaultModuleCatchOwnFault\n"
    "    .def FaultModuleCatchOwnFault; .scl 2; .type 32; .endef\n"
    "    .seh_proc FaultModuleCatchOwnFault\n"
    "FaultModuleCatchOwnFault:\n"
    "    .seh_handler FaultModuleOwnHandler, @except\n"
    "    subq $40, %rsp\n"
    "    .seh_stackalloc 40\n"
    "    .seh_endprologue\n"
    "    xorl %eax, %eax\n"
    "    xorl %ecx, %ecx\n"
    "    movl $1, (%rcx)\n"
    "    nop\n"
    "    .globl FaultModuleRecovered\n"
    "FaultModuleRecovered:\n"
    "    movl $1, %eax\n"
    "    addq $40, %rsp\n"
    "    ret\n"
    "    .seh_endproc\n"
    "    .section .drectve\n"
    "    .ascii \" -export:FaultModuleCatchOwnFault\"\n"
    "    .text\n");

EXCEPTION_DISPOSITION FaultModuleOwnHandler(EXCEPTION_RECORD* pRecord, void* pFrame, CONTEXT* pContext, void* pDispatch)
{
    (void)pFrame;
    (void)pDispatch;
    if (pRecord->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    if (pRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION) return ExceptionContinueSearch;
    ++g_nOwnFaultsTaken;
    pContext->Rip = (DWORD64)FaultModuleRecovered;
    return ExceptionContinueExecution;
}

int FaultModuleOwnFaultsTaken(void)
{
    return g_nOwnFaultsTaken;
}

static LRESULT CALLBACK FaultingWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == g_nFaultMessage) FaultModuleNullWrite();
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

HWND FaultModuleCreateWindow(UINT message)
{
    static ATOM atom;
    if (!atom) {
        WNDCLASSW wc = {0};
        wc.lpfnWndProc = FaultingWndProc;
        wc.hInstance = GetModuleHandleW(L"fault_module.dll");
        wc.lpszClassName = L"FaultModuleWindow";
        atom = RegisterClassW(&wc);
    }
    g_nFaultMessage = message;
    return CreateWindowExW(0, L"FaultModuleWindow", L"", WS_OVERLAPPED, 0, 0, 10, 10, NULL, NULL,
                           GetModuleHandleW(L"fault_module.dll"), NULL);
}
