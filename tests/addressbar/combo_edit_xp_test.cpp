#include <gtest/gtest.h>

#include "addressbar/combo_box_xp.h"
#include "addressbar/combo_edit_xp.h"
#include "combo_host.h"

#include <imm.h>
#include <memory>

namespace {

using ComboEditXPTest = ComboTest<CComboBoxXP>;

BOOL ImeOpen(HWND hWnd)
{
    HIMC hImc = ::ImmGetContext(hWnd);
    BOOL bOpen = ::ImmGetOpenStatus(hImc);
    ::ImmReleaseContext(hWnd, hImc);
    return bOpen;
}

void SetImeOpen(HWND hWnd, BOOL bOpen)
{
    HIMC hImc = ::ImmGetContext(hWnd);
    ::ImmSetOpenStatus(hImc, bOpen);
    ::ImmReleaseContext(hWnd, hImc);
}

}  // namespace

TEST(ComboEditXPClassTest, IsDynamicallyCreatable)
{
    std::unique_ptr<CObject> pObject(CComboEditXP::CreateObject());
    ASSERT_NE(dynamic_cast<CComboEditXP*>(pObject.get()), nullptr);
    EXPECT_STREQ(pObject->GetRuntimeClass()->m_lpszClassName, "CComboEditXP");
    EXPECT_TRUE(pObject->IsKindOf(RUNTIME_CLASS(CComboEditXP)));
    EXPECT_TRUE(pObject->IsKindOf(RUNTIME_CLASS(CEdit)));
}

TEST_F(ComboEditXPTest, InputMethodIsOffWhileTheEditHasTheFocus)
{
    struct Case {
        const char* name;
        BOOL bOpenBefore;      // when the edit gets the focus
        BOOL bOpenWhileIn;     // set by the user while the edit has the focus; -1 leaves it
        BOOL bExpectedWhileIn;
        BOOL bExpectedAfter;   // once the focus has left
    };
    const Case cases[] = {
        {"on at focus-in", TRUE, -1, FALSE, TRUE},
        {"off at focus-in", FALSE, -1, FALSE, FALSE},
        {"off at focus-in, switched on meanwhile", FALSE, TRUE, TRUE, TRUE},
    };
    HIMC hImc = ::ImmGetContext(m_hWndEdit);
    ASSERT_NE(hImc, nullptr) << "no input context for the edit";
    ::ImmReleaseContext(m_hWndEdit, hImc);
    for (const Case& c : cases) {
        ::SetFocus(m_hWndHost);
        SetImeOpen(m_hWndEdit, c.bOpenBefore);
        ASSERT_EQ(ImeOpen(m_hWndEdit), c.bOpenBefore) << c.name;

        ::SetFocus(m_hWndEdit);
        ASSERT_EQ(::GetFocus(), m_hWndEdit) << c.name;
        if (c.bOpenWhileIn != -1) SetImeOpen(m_hWndEdit, c.bOpenWhileIn);
        EXPECT_EQ(ImeOpen(m_hWndEdit), c.bExpectedWhileIn) << c.name;

        ::SetFocus(m_hWndHost);
        EXPECT_EQ(ImeOpen(m_hWndEdit), c.bExpectedAfter) << c.name;
    }
    SetImeOpen(m_hWndEdit, FALSE);
}
