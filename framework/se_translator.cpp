#include "se_translator.h"

#include <exception>

extern "C" {
EXCEPTION_DISPOSITION AfxFaultBoundaryHandler(EXCEPTION_RECORD* pRecord, void* pEstablisherFrame, CONTEXT* pContext,
                                              void* pDispatcherContext);
[[noreturn]] void AfxRaiseTranslatedFault();
void AfxTranslatedFaultEntry();
}

// The boundary is a plain call whose frame names AfxFaultBoundaryHandler as its
// structured handler. The handler resumes the faulting thread at
// AfxTranslatedFaultEntry with the faulting address plus one in r11 (a scratch
// register the faulting code cannot rely on across a fault): the entry pushes it
// as the return address of a frame that calls the translator, so the unwinder
// sees the translator called from inside the faulting instruction. The address
// is only pushed once the dispatcher's frames are gone, and the frame realigns
// the stack, since a fault can happen at any alignment.
asm(R"(
    .text
    .p2align 4
    .globl AfxCallWithFaultBoundary
    .def AfxCallWithFaultBoundary; .scl 2; .type 32; .endef
    .seh_proc AfxCallWithFaultBoundary
AfxCallWithFaultBoundary:
    .seh_handler AfxFaultBoundaryHandler, @except
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    movq %rcx, %rax
    movq %rdx, %rcx
    call *%rax
    nop
    addq $40, %rsp
    ret
    .seh_endproc

    .p2align 4
    .globl AfxTranslatedFaultEntry
    .def AfxTranslatedFaultEntry; .scl 2; .type 32; .endef
AfxTranslatedFaultEntry:
    pushq %r11
    .def AfxTranslatedFaultFrame; .scl 3; .type 32; .endef
    .seh_proc AfxTranslatedFaultFrame
AfxTranslatedFaultFrame:
    pushq %rbp
    .seh_pushreg %rbp
    movq %rsp, %rbp
    .seh_setframe %rbp, 0
    .seh_endprologue
    andq $-16, %rsp
    subq $32, %rsp
    call AfxRaiseTranslatedFault
    int3
    .seh_endproc
)");

namespace {

thread_local AFX_SE_TRANSLATOR t_pfnTranslator = nullptr;
thread_local EXCEPTION_RECORD t_faultRecord;
thread_local CONTEXT t_faultContext;
thread_local std::exception_ptr t_translated;  // what the translator threw for the latest fault

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

}  // namespace

extern "C" EXCEPTION_DISPOSITION AfxFaultBoundaryHandler(EXCEPTION_RECORD* pRecord, void*, CONTEXT* pContext, void*)
{
    // Unwinds pass through; so do C++ exceptions and anything not a processor fault.
    if (pRecord->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND | EXCEPTION_NONCONTINUABLE)) {
        return ExceptionContinueSearch;
    }
    if (!t_pfnTranslator || !IsFault(pRecord->ExceptionCode)) return ExceptionContinueSearch;
    t_faultRecord = *pRecord;
    t_faultContext = *pContext;
    pContext->R11 = pContext->Rip + 1;
    pContext->Rip = reinterpret_cast<DWORD64>(&AfxTranslatedFaultEntry);
    return ExceptionContinueExecution;
}

extern "C" void AfxRaiseTranslatedFault()
{
    EXCEPTION_RECORD record = t_faultRecord;
    CONTEXT context = t_faultContext;
    EXCEPTION_POINTERS pointers{&record, &context};
    try {
        t_pfnTranslator(static_cast<unsigned int>(record.ExceptionCode), &pointers);
    } catch (...) {
        t_translated = std::current_exception();
        throw;
    }
    std::terminate();  // a translator that returns leaves no instruction to resume at
}

AFX_SE_TRANSLATOR AfxSetSeTranslator(AFX_SE_TRANSLATOR pfnTranslator)
{
    AFX_SE_TRANSLATOR pfnOld = t_pfnTranslator;
    t_pfnTranslator = pfnTranslator;
    return pfnOld;
}

bool AfxIsTranslatedFault(const std::exception_ptr& p)
{
    return p && p == t_translated;
}
