// Handing a network adapter to the outside port monitor: a WM_COPYDATA request to its window
// "Port Status List", after starting it when that window is not open.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace sorvane {

#pragma pack(push, 1)
struct MonitorRequest {
    std::int32_t command;  // 1: the window was already open; 0: the monitor was just started
    char adapter[20];      // OEM code page, zero-terminated
    std::int32_t value;
};
#pragma pack(pop)
static_assert(sizeof(MonitorRequest) == 28);
static_assert(offsetof(MonitorRequest, adapter) == 4);
static_assert(offsetof(MonitorRequest, value) == 24);

// The text in the code page, cut to at most maxBytes bytes without splitting a character.
std::string EncodeWithin(const std::wstring& text, UINT codePage, std::size_t maxBytes);

MonitorRequest BuildMonitorRequest(std::int32_t command, const std::wstring& adapter, std::int32_t value);

void InvokePortMonitor(const std::wstring& adapter, std::int32_t value);

}  // namespace sorvane
