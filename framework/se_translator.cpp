#include "se_translator.h"

#include <exception>

namespace {

thread_local AFX_SE_TRANSLATOR t_pfnTranslator = nullptr;
thread_local EXCEPTION_RECORD t_faultRecord;
PVOID g_hHandler = nullptr;

bool IsFault(DWORD dwCode)
{
    switch (dwCode) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_PRIV_INSTRUCTION:
        return true;
    default:
        return false;  // stack overflow among them: there is no stack left to throw on
    }
}

bool IsInThisExecutable(DWORD64 address)
{
    MEMORY_BASIC_INFORMATION info{};
    if (!::VirtualQuery(reinterpret_cast<LPCVOID>(address), &info, sizeof(info))) return false;
    return info.AllocationBase == static_cast<PVOID>(::GetModuleHandleW(nullptr));
}

[[noreturn]] void RaiseTranslatedFault()
{
    EXCEPTION_RECORD record = t_faultRecord;
    EXCEPTION_POINTERS pointers{&record, nullptr};
    t_pfnTranslator(static_cast<unsigned int>(record.ExceptionCode), &pointers);
    std::terminate();  // a translator that returns leaves no instruction to resume at
}

LONG CALLBACK FaultHandler(EXCEPTION_POINTERS* pInfo)
{
    CONTEXT* pContext = pInfo->ContextRecord;
    if (!t_pfnTranslator || !IsFault(pInfo->ExceptionRecord->ExceptionCode) || !IsInThisExecutable(pContext->Rip)) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    t_faultRecord = *pInfo->ExceptionRecord;
    // Resume in RaiseTranslatedFault as if the faulting instruction had called it. The return
    // address one byte into that instruction makes the unwinder look up the faulting
    // instruction itself, which -fnon-call-exceptions covers in the exception tables.
    pContext->Rsp -= sizeof(DWORD64);
    *reinterpret_cast<DWORD64*>(pContext->Rsp) = pContext->Rip + 1;
    pContext->Rip = reinterpret_cast<DWORD64>(&RaiseTranslatedFault);
    return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

AFX_SE_TRANSLATOR AfxSetSeTranslator(AFX_SE_TRANSLATOR pfnTranslator)
{
    if (!g_hHandler) g_hHandler = ::AddVectoredExceptionHandler(1, &FaultHandler);
    AFX_SE_TRANSLATOR pfnOld = t_pfnTranslator;
    t_pfnTranslator = pfnTranslator;
    return pfnOld;
}
