#pragma once

// Run-time class information: a class's name and its base, enough for
// GetRuntimeClass, IsKindOf and RUNTIME_CLASS.
struct CRuntimeClass {
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;

    bool IsDerivedFrom(const CRuntimeClass* pBaseClass) const
    {
        for (const CRuntimeClass* p = this; p; p = p->m_pBaseClass) {
            if (p == pBaseClass) return true;
        }
        return false;
    }
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }
    bool IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }

    static const CRuntimeClass classCObject;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name) \
public: \
    static const CRuntimeClass class##class_name; \
    const CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    const CRuntimeClass class_name::class##class_name = {#class_name, RUNTIME_CLASS(base_class_name)}; \
    const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

// Dynamic creation: DECLARE_DYNAMIC plus a static CreateObject that makes a new object of the class.
#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name) \
    static CObject* CreateObject();

#define IMPLEMENT_DYNCREATE(class_name, base_class_name) \
    IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    CObject* class_name::CreateObject() { return new class_name; }
