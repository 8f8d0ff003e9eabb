// The port-monitor launcher export.
#include <string>

#include "Sorvane.h"
#include "ui/PortMonitor.h"

extern "C" {

void WINAPI Ostrel_InvokeVelmora(const char* adapterName, std::int32_t value) {
    std::wstring name;
    if (adapterName) {
        const int length = ::MultiByteToWideChar(CP_ACP, 0, adapterName, -1, nullptr, 0);
        if (length > 0) {
            name.resize(static_cast<std::size_t>(length));
            ::MultiByteToWideChar(CP_ACP, 0, adapterName, -1, name.data(), length);
            name.resize(static_cast<std::size_t>(length - 1));
        }
    }
    sorvane::InvokePortMonitor(name, value);
}

}
