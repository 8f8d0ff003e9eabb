#pragma once
// One shown top-level window for every case of a suite: making and removing a mapped top-level
// window costs the display seconds, its children do not. The window object is made with new (the
// type is the test's own CWnd class) and lives from SetUpTestSuite to TearDownTestSuite. Suites that
// share the display keep to the screen's lower half, clear of the windows that other suites place
// near its top left corner and point at with the real cursor.

#include <framework/Framework.h>
#include <support/gui/Pump.h>

template <class Window>
struct SuiteWindow {
    static inline Window* window = nullptr;

    static void Open(LPCWSTR title, const CRect& rect, DWORD style, int background) {
        window = new Window;
        const auto brush = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1));
        window->CreateEx(0, AfxRegisterWndClass(0, nullptr, brush), title, style | WS_VISIBLE, rect, nullptr, 0);
    }
    static void Close() {
        window->DestroyWindow();
        delete window;
        window = nullptr;
        support::gui::PumpPending();
    }
};
