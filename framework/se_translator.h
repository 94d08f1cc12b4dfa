#pragma once
#include <windows.h>

#include <exception>
#include <type_traits>

// Translation of processor faults into C++ exceptions, the service the
// Microsoft runtime's _set_se_translator gives (mingw's runtime cannot).
//
// A fault boundary is a call made through AfxCallWithFaultBoundary. A processor
// fault (access violation, division by zero, illegal instruction and the like)
// raised anywhere below it, in this executable or in any other module, that no
// handler nearer the fault takes, calls the thread's translator as if from the
// faulting instruction; what the translator throws then unwinds from there,
// through the faulting module's frames, to the callers of the boundary. Modules
// that handle their own faults (structured handlers of their own) still see
// them first, since the boundary's handler is only asked once theirs declined.
// Without a translator on the thread, faults pass through untouched.
// Every translation unit must be compiled with -fnon-call-exceptions, so that
// the faulting frame's own destructors run.

// Returns the previous translator of the thread.
using AFX_SE_TRANSLATOR = void (*)(unsigned int nCode, EXCEPTION_POINTERS* pInfo);
AFX_SE_TRANSLATOR AfxSetSeTranslator(AFX_SE_TRANSLATOR pfnTranslator);

extern "C" void AfxCallWithFaultBoundary(void (*pfn)(void* pParam), void* pParam);

// Runs fn() inside a fault boundary; exceptions leave it as from fn itself.
template <class F>
void AfxFaultBoundary(F&& fn)
{
    AfxCallWithFaultBoundary([](void* p) { (*static_cast<std::remove_reference_t<F>*>(p))(); }, &fn);
}

// True when p is the exception a translator threw for the latest fault of this thread.
bool AfxIsTranslatedFault(const std::exception_ptr& p);
