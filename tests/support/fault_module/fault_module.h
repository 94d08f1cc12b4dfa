#pragma once
// A module of its own, loaded beside the tests, whose code faults: the faults
// happen in its frames, not in the test executable's.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef FAULT_MODULE_BUILD
#define FAULT_MODULE_API __declspec(dllexport)
#else
#define FAULT_MODULE_API __declspec(dllimport)
#endif

// Writes through a null pointer.
FAULT_MODULE_API void FaultModuleNullWrite(void);
// Writes through a null pointer and recovers in its own structured handler; returns 1 once recovered.
FAULT_MODULE_API int FaultModuleCatchOwnFault(void);
// How many faults FaultModuleCatchOwnFault's handler has taken.
FAULT_MODULE_API int FaultModuleOwnFaultsTaken(void);
// A top-level window whose window procedure belongs to the module and faults on message.
FAULT_MODULE_API HWND FaultModuleCreateWindow(UINT message);

#ifdef __cplusplus
}
#endif
