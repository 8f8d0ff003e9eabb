#pragma once
// Where detection and the adapter watch learn about network adapters: the capture library's
// device list and IP Helper's adapter tables. The library uses the system's; tests of its
// internals put a scripted source in place.

#include "link/Link.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace capi {

struct CaptureDevice {
    std::string name;
    std::string description;  // empty when the device has none
};

struct NetworkAdapter {
    std::string name;  // IP Helper's adapter name; the capture device's name contains it
    std::vector<uint8_t> mac;
};

enum class AdapterList { Listed, NoMemory, Failed };

class AdapterSource {
public:
    virtual ~AdapterSource() = default;
    // pcap_findalldevs; false when it fails.
    virtual bool ListCaptureDevices(std::vector<CaptureDevice>& devices) = 0;
    // GetAdaptersInfo.
    virtual AdapterList ListAdapters(std::vector<NetworkAdapter>& adapters) = 0;
    virtual std::unique_ptr<Link> Open(const std::string& device, std::string* error) = 0;
    // Whether the Ethernet adapter behind a capture device is operationally up (an adapter that
    // has gone counts as down); empty when the adapter tables cannot be read.
    virtual std::optional<bool> AdapterUp(const std::string& device) = 0;
};

AdapterSource& Adapters();
// Puts a source in place of the system's (null puts the system's back).
void UseAdapterSource(AdapterSource* source);

// The environment variable that limits detection to some capture devices: their names or
// descriptions (under Wine, the Linux interface names), separated by semicolons. For PCs with
// several testers, and for test benches.
constexpr const char* kAdapterFilterVariable = "BREVIXCAPI_ADAPTERS";

}  // namespace capi
