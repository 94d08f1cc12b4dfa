#pragma once
#include "runtime_class.h"

// The look of bars and menus. This framework draws with the system's own
// controls and menus, which already have the native look, so the managers
// only record what the program asked for.
class CMFCVisualManager : public CObject {
public:
    // Makes an object of pRTI's class the manager of the process.
    static void SetDefaultManager(const CRuntimeClass* pRTI) { s_pDefaultClass = pRTI; }
    static CMFCVisualManager* GetInstance();
    void SetOfficeStyleMenus(bool bOn = true) { m_bOfficeStyleMenus = bOn; }
    bool IsOfficeStyleMenus() const { return m_bOfficeStyleMenus; }
    const CRuntimeClass* GetRuntimeClass() const override { return s_pDefaultClass; }

    static const CRuntimeClass classCMFCVisualManager;

private:
    bool m_bOfficeStyleMenus = true;
    static const CRuntimeClass* s_pDefaultClass;
};

// The native Windows look.
class CMFCVisualManagerWindows : public CMFCVisualManager {
public:
    static const CRuntimeClass classCMFCVisualManagerWindows;
};

inline const CRuntimeClass CMFCVisualManager::classCMFCVisualManager = {"CMFCVisualManager", RUNTIME_CLASS(CObject)};
inline const CRuntimeClass CMFCVisualManagerWindows::classCMFCVisualManagerWindows = {
    "CMFCVisualManagerWindows", RUNTIME_CLASS(CMFCVisualManager)};
inline const CRuntimeClass* CMFCVisualManager::s_pDefaultClass = RUNTIME_CLASS(CMFCVisualManager);

inline CMFCVisualManager* CMFCVisualManager::GetInstance()
{
    static CMFCVisualManager s_instance;
    return &s_instance;
}
