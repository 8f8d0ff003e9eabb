#include "VGMouseHeld.h"

namespace VGMouseHeld {

bool PumpWhileHeld(DWORD waitMilliseconds)
{
    MSG msg;
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMilliseconds, QS_ALLINPUT);
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (msg.message == WM_MOUSEMOVE || msg.message == WM_LBUTTONUP)
            return false;
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

}  // namespace VGMouseHeld
