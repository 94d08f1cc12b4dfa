#pragma once
#include <windows.h>

class CWnd;

// Device contexts and GDI objects that release what they hold when they go out of scope.
class CDC {
public:
    CDC() = default;
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    operator HDC() const { return m_hDC; }
    int GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hDC, nIndex); }
};

// BeginPaint/EndPaint for the lifetime of the object.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
};

// GetDC/ReleaseDC of a window's client area.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* pWnd);
    explicit CClientDC(HWND hWnd);  // null: the screen
    ~CClientDC() override;

private:
    HWND m_hWnd;
};

class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ m_hObject = nullptr;  // owned
    BOOL DeleteObject();
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
};

class CBitmap : public CGdiObject {
public:
    // Loads bitmap resource nIDResource from the resource module.
    BOOL LoadBitmap(UINT nIDResource);
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};
