#pragma once
#include <windows.h>

// Per-thread translation of processor faults into C++ exceptions, the service
// the Microsoft runtime's _set_se_translator gives (mingw's runtime cannot):
// an access violation, division by zero, illegal instruction and the like,
// raised by code of this executable while a translator is installed on the
// thread, calls the translator as if from the faulting instruction, so that
// what it throws unwinds from there. Faults inside other modules are left to
// their own handlers: they may use structured exceptions on purpose.
// Every translation unit must be compiled with -fnon-call-exceptions.
// Returns the previous translator of the thread.
using AFX_SE_TRANSLATOR = void (*)(unsigned int nCode, EXCEPTION_POINTERS* pInfo);
AFX_SE_TRANSLATOR AfxSetSeTranslator(AFX_SE_TRANSLATOR pfnTranslator);
