#pragma once
// The main dialog under test: run modally on the test's thread (as the program runs it), against a
// whole simulated tester on the test's veth pair or against none (demo mode), with the framework's
// message boxes answered by the test and the language index in the registry set before each run.

#include "main/Vorel_TAP_Test3Dlg.h"
#include "sim/FullTester.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CVorel_TAP_Test3App;
// The program's application object, as Vorels-NIC.exe has it.
extern CVorel_TAP_Test3App theApp;

namespace appbench {

// Threads of this process whose description begins with the prefix (the library names its own).
int CountNamedThreads(const std::wstring& prefix);

struct ShownBox {
    HWND owner = nullptr;
    std::wstring text;
    std::wstring caption;
    UINT type = 0;
};

// Stands in for every box the framework shows while it lives: records it and answers it with the
// function's button (by default Yes to a question, OK to the rest).
class BoxAnswers {
public:
    using Answer = std::function<int(const ShownBox&)>;
    explicit BoxAnswers(Answer answer = nullptr);
    ~BoxAnswers();
    BoxAnswers(const BoxAnswers&) = delete;
    BoxAnswers& operator=(const BoxAnswers&) = delete;

    std::vector<ShownBox> Boxes() const;
    size_t CountWithText(const std::wstring& text) const;

    static int DefaultAnswer(const ShownBox& box) { return (box.type & MB_YESNO) ? IDYES : IDOK; }

private:
    Answer answer_;
    // Guarded by lock_: written by the thread that shows a box (the test's), read by the test.
    mutable std::mutex lock_;
    std::vector<ShownBox> boxes_;
};

// On a thread of its own: waits for a visible dialog box of this process whose caption begins with
// the prefix, keeps a picture of `window` (the whole window, the box over it; the box alone when
// null) under `pictureName`, reads the texts of the box's controls, then presses `button`. For the
// boxes the test's thread waits in.
class BoxSnapper {
public:
    BoxSnapper(std::wstring captionPrefix, HWND window, std::wstring pictureName, int button);
    ~BoxSnapper();
    BoxSnapper(const BoxSnapper&) = delete;
    BoxSnapper& operator=(const BoxSnapper&) = delete;

    // Joins the thread; the caption and control texts of the box it found.
    std::wstring Caption();
    std::vector<std::wstring> Texts();

private:
    void Join();
    std::wstring caption_;
    std::vector<std::wstring> texts_;
    std::thread thread_;
};

// Shows the real box over its owner with a BoxSnapper keeping its picture; returns the button.
int ShowBoxForPicture(const ShownBox& box, HWND window, const std::wstring& pictureName, int button);

// The operator's input to the main dialog, each landing where the operator's would: a click goes
// to the window a real pointer finds at its point, a menu command through the menu bar by keys, so
// that a hidden, disabled or covered control, or a command no menu holds, fails the test.

// A click at the middle of the control (a button, the grid, a list, any window of a page): the
// control, or one of its own children, must be what the pointer lands on there; at a disabled
// control, which takes no click, the window it lies on.
void ClickControl(CWnd& control);
// A click at the item of the device tree.
void ClickTreeItem(CVorel_TAP_Test3Dlg& dialog, int item);
// The menu bar's item of the command chosen as typed: F10, Right to its menu, Down to it, Return.
// Fails when no menu of the bar holds the command.
void ChooseMenuCommand(CVorel_TAP_Test3Dlg& dialog, UINT command);
// The same by the menu's place in the bar and the item's in the menu (separators count as places).
void ChooseMenuItem(CVorel_TAP_Test3Dlg& dialog, int menu, int item);

class DialogBench : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A whole tester of the machine id on the pair, the library pointed at it. The identity may be
    // changed before the dialog starts.
    sim::FullTester& StartTester(int machineId);
    void SetIdentity(const sim::TesterIdentity& identity);

    // Runs the dialog modally; `driver` runs once the dialog has been shown. Returns DoModal's result.
    INT_PTR RunDialog(const std::function<void(CVorel_TAP_Test3Dlg&)>& driver);

    // The language value where other installs keep it: the registry's 32-bit view.
    static void WriteLanguageValue(const char* data, DWORD size);
    static std::string ReadLanguageValue();

public:
    // The device tree's text of an item number, empty when the item was not made.
    static std::wstring TreeTextOf(CVorel_TAP_Test3Dlg& dialog, int item);

protected:
    static std::wstring TreeText(CVorel_TAP_Test3Dlg& dialog, int item) { return TreeTextOf(dialog, item); }
    static int TreeItemCount();
    // Keeps a picture of the window as it is on the screen, once what it is showing has been painted.
    static void SavePicture(HWND window, const std::wstring& name);
    // Ends the dialog through File, Exit (chosen by keys), its question answered Yes.
    static void Exit(CVorel_TAP_Test3Dlg& dialog);
    // A mouse click on the button of the window's toolbar, then the messages it brings.
    static void ClickTool(HWND window, UINT command);

    std::unique_ptr<sim::FullTester> tester_;
};

}  // namespace appbench
