#include <gtest/gtest.h>

#include "framework/afx.h"
#include "app/tarnwick_app.h"

namespace {

constexpr UINT WM_TEST_FAULT = WM_APP + 10;
constexpr UINT WM_TEST_NEXT = WM_APP + 11;

int g_nLocalsDestroyed = 0;

struct CountOnExit {
    ~CountOnExit() { ++g_nLocalsDestroyed; }
};

class CFaultingWnd : public CWnd {
public:
    int m_nNextSeen = 0;
    int m_nAfterFault = 0;

protected:
    afx_msg LRESULT OnFault(WPARAM, LPARAM)
    {
        CountOnExit guard;
        int* volatile pNull = nullptr;
        *pNull = 42;  // access violation
        ++m_nAfterFault;
        return 0;
    }
    afx_msg LRESULT OnNext(WPARAM, LPARAM)
    {
        ++m_nNextSeen;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFaultingWnd, CWnd)
    ON_MESSAGE(WM_TEST_FAULT, OnFault)
    ON_MESSAGE(WM_TEST_NEXT, OnNext)
END_MESSAGE_MAP()

TEST(FaultRecoveryTest, FaultingMessageIsAbandonedAndTheNextOneIsProcessed)
{
    CFaultingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"fault", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr));
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);

    wnd.PostMessage(WM_TEST_FAULT);
    wnd.PostMessage(WM_TEST_NEXT);

    EXPECT_TRUE(theApp.PumpMessage());  // the fault
    EXPECT_EQ(wnd.m_nAfterFault, 0);
    EXPECT_EQ(g_nLocalsDestroyed, 1);    // the handler's frame was unwound
    EXPECT_TRUE(theApp.PumpMessage());  // the next message
    EXPECT_EQ(wnd.m_nNextSeen, 1);

    // A second fault is recovered as well: the translator stays in place.
    wnd.PostMessage(WM_TEST_FAULT);
    wnd.PostMessage(WM_TEST_NEXT);
    EXPECT_TRUE(theApp.PumpMessage());
    EXPECT_TRUE(theApp.PumpMessage());
    EXPECT_EQ(wnd.m_nNextSeen, 2);
    EXPECT_EQ(g_nLocalsDestroyed, 2);
    wnd.DestroyWindow();
}

TEST(FaultRecoveryTest, FaultOutsideAnyMessageThrowsTheCodeToTheCaller)
{
    AfxSetSeTranslator([](unsigned int nCode, EXCEPTION_POINTERS*) { throw nCode; });
    unsigned int nCaught = 0;
    try {
        int* volatile pNull = nullptr;
        *pNull = 1;
    } catch (unsigned int nCode) {
        nCaught = nCode;
    }
    AfxSetSeTranslator(nullptr);
    EXPECT_EQ(nCaught, static_cast<unsigned int>(EXCEPTION_ACCESS_VIOLATION));
}

}  // namespace
