// The modeless find box: its requests reach the owner as the registered message, the owner finds the
// dialog object from the message, and the object goes when the box closes.
#include <framework/Framework.h>
#include <support/gui/Input.h>
#include <support/gui/Pump.h>
#include <support/gui/Windows.h>

#include <gtest/gtest.h>

namespace {

const UINT g_findMessage = ::RegisterWindowMessageW(FINDMSGSTRINGW);

class CFindOwner : public CWnd {
public:
    CFindReplaceDialog* notifier = nullptr;
    CString findWhat;
    int findNext = 0;
    int terminating = 0;

protected:
    LRESULT OnFind(WPARAM, LPARAM lParam) {
        notifier = CFindReplaceDialog::GetNotifier(lParam);
        if (notifier->IsTerminating()) {
            ++terminating;
        } else if (notifier->FindNext()) {
            ++findNext;
            findWhat = notifier->GetFindString();
        }
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFindOwner, CWnd)
    ON_REGISTERED_MESSAGE(g_findMessage, OnFind)
END_MESSAGE_MAP()

TEST(FindReplace, RequestsReachTheOwnerAndTheBoxCleansUp) {
    CFindOwner owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, L"owner", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100), nullptr, 0));
    auto* dialog = new CFindReplaceDialog;
    ASSERT_TRUE(dialog->Create(TRUE, L"needle", nullptr, FR_DOWN | FR_HIDEUPDOWN, &owner));
    HWND box = dialog->m_hWnd;
    EXPECT_EQ(dialog, CWnd::FromHandlePermanent(box));

    support::gui::ClickButton(box, IDOK);  // "Find Next"
    EXPECT_EQ(1, owner.findNext);
    EXPECT_EQ(dialog, owner.notifier);
    EXPECT_EQ(CString(L"needle"), owner.findWhat);

    support::gui::ClickButton(box, IDCANCEL);
    EXPECT_TRUE(support::gui::PumpUntil([&] { return !::IsWindow(box); }, 2000));
    EXPECT_EQ(1, owner.terminating);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(box));
    owner.DestroyWindow();
}

}  // namespace
