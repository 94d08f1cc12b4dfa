#include "support/hosted_view_fixture.h"
#include "support/message_pump.h"
#include "support/view_probe.h"

namespace {

using DropRegistrationTest = HostedViewTest;

// The count of a counted object, read through its own AddRef and Release.
LONG CountOf(IUnknown* pUnknown)
{
    pUnknown->AddRef();
    return static_cast<LONG>(pUnknown->Release());
}

// What one registration holds of its target on this platform, measured on a window of the test's own.
LONG ReferencesOfOneRegistration()
{
    HWND hWnd = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CImpIDropTarget target;
    LONG nHeld = -1;
    if (hWnd && ::RegisterDragDrop(hWnd, &target) == S_OK) {
        nHeld = CountOf(&target);
        ::RevokeDragDrop(hWnd);
    }
    if (hWnd) ::DestroyWindow(hWnd);
    return nHeld;
}

TEST_F(DropRegistrationTest, TheViewsWindowHasItsTargetRegisteredFromInitialisation)
{
    const LONG nOneRegistration = ReferencesOfOneRegistration();
    ASSERT_GT(nOneRegistration, 0);
    CBrowserFrame* pFrame = OpenFrame(false);
    ASSERT_NE(pFrame, nullptr);
    CChildView& view = pFrame->m_wndView;
    CImpIDropTarget& target = CViewProbe::DocHostUIHandler(view).m_dropTarget;
    EXPECT_EQ(CountOf(&target), 0);
    EXPECT_EQ(::RevokeDragDrop(view.m_hWnd), DRAGDROP_E_NOTREGISTERED);

    PumpPending();  // ID_VIEW_INITIALIZE

    EXPECT_EQ(CountOf(&target), nOneRegistration);
    CImpIDropTarget other;
    EXPECT_EQ(::RegisterDragDrop(view.m_hWnd, &other), DRAGDROP_E_ALREADYREGISTERED);
    EXPECT_EQ(CountOf(&other), 0);
}

// What a child of the view saw of the view's registration while being destroyed after it.
struct DestroyWitness {
    HWND hView = nullptr;
    IUnknown* pTarget = nullptr;  // the view's own target, alive until the frame's last message
    bool bSeen = false;
    LONG nTargetCount = -1;
    HRESULT hrRevoke = E_FAIL;
    HRESULT hrRegisterFresh = E_FAIL;
};

LRESULT CALLBACK WitnessProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    auto* pWitness = reinterpret_cast<DestroyWitness*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (uMsg == WM_DESTROY && pWitness) {
        // Children hear WM_DESTROY after their parent, whose window still exists here.
        pWitness->bSeen = true;
        pWitness->nTargetCount = CountOf(pWitness->pTarget);
        pWitness->hrRevoke = ::RevokeDragDrop(pWitness->hView);
        CImpIDropTarget fresh;
        pWitness->hrRegisterFresh = ::RegisterDragDrop(pWitness->hView, &fresh);
        if (pWitness->hrRegisterFresh == S_OK) ::RevokeDragDrop(pWitness->hView);
    }
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

TEST_F(DropRegistrationTest, TheRegistrationIsRevokedWhenTheViewIsDestroyed)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    CChildView& view = pFrame->m_wndView;
    ASSERT_GT(CountOf(&CViewProbe::DocHostUIHandler(view).m_dropTarget), 0);

    WNDCLASSW wc{};
    wc.lpfnWndProc = WitnessProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TarnwickDropWitness";
    ::RegisterClassW(&wc);
    DestroyWitness witness;
    witness.hView = view.m_hWnd;
    witness.pTarget = &CViewProbe::DocHostUIHandler(view).m_dropTarget;
    HWND hWitness = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD, 0, 0, 1, 1, view.m_hWnd, nullptr,
                                      wc.hInstance, nullptr);
    ASSERT_NE(hWitness, nullptr);
    ::SetWindowLongPtrW(hWitness, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&witness));

    ::DestroyWindow(pFrame->m_hWnd);  // the frame and its view are deleted with it
    PumpPending();

    ASSERT_TRUE(witness.bSeen);
    EXPECT_EQ(witness.nTargetCount, 0);  // every reference the registration took came back
    EXPECT_EQ(witness.hrRevoke, DRAGDROP_E_NOTREGISTERED);
    EXPECT_EQ(witness.hrRegisterFresh, S_OK);
}

}  // namespace
