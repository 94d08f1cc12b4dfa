#pragma once
#include <unknwn.h>
#include <memory>
#include <utility>

// Holds one reference to a COM interface and releases it when replaced or destroyed.
template <class T>
class CComPtr {
public:
    CComPtr() = default;
    CComPtr(T* p) : m_p(p) { if (m_p) m_p->AddRef(); }
    CComPtr(const CComPtr& other) : CComPtr(other.m_p) {}
    CComPtr(CComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ~CComPtr() { Release(); }

    CComPtr& operator=(T* p)
    {
        if (p != m_p) {
            if (p) p->AddRef();
            Release();
            m_p = p;
        }
        return *this;
    }
    CComPtr& operator=(const CComPtr& other) { return *this = other.m_p; }
    CComPtr& operator=(CComPtr&& other) noexcept
    {
        if (this != std::addressof(other)) {
            Release();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }

    void Release()
    {
        if (T* p = std::exchange(m_p, nullptr)) p->Release();
    }
    // Takes over a reference the caller already holds.
    void Attach(T* p)
    {
        Release();
        m_p = p;
    }
    // Gives up the reference without releasing it.
    T* Detach() { return std::exchange(m_p, nullptr); }

    // For out-parameters: the held reference, if any, is released first.
    T** operator&()
    {
        Release();
        return &m_p;
    }
    T* operator->() const { return m_p; }
    operator T*() const { return m_p; }
    T* p() const { return m_p; }

    template <class Q>
    HRESULT QueryInterface(Q** pp) const
    {
        if (!pp) return E_POINTER;
        *pp = nullptr;
        return m_p ? m_p->QueryInterface(__uuidof(Q), reinterpret_cast<void**>(pp)) : E_POINTER;
    }

private:
    T* m_p = nullptr;
};
