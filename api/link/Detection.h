#pragma once
// Finding the network adapter behind which the tester sits: by the adapter's description, by the
// maker's MAC address prefix (whose fourth byte gives the model), or by the adapter probe.

#include "link/AdapterSource.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace capi {

// The adapter tables hold this many capture devices.
constexpr size_t kAdapterTableSize = 20;
// The size of the host's buffer for BrevixC_SYS_GetAdapterName.
constexpr size_t kAdapterNameBuffer = 1024;

struct ChosenAdapter {
    std::string device;
    bool probeUnit = false;  // found by the adapter probe
};

class Detection {
public:
    static Detection& Instance();

    // BrevixC_SYS_DetectBrevixCDevice: 1 when an adapter was chosen; the model name's characters
    // go into modelName (no terminator).
    int Detect(char* modelName);
    // BrevixC_SYS_GetAdapterName: the chosen capture device's name, terminated and cut to fit
    // kAdapterNameBuffer bytes.
    int GetAdapterName(char* name) const;
    std::optional<ChosenAdapter> Chosen() const;

private:
    struct Entry {
        std::string name;
        std::string description;
        bool hasDescription = false;
    };
    Detection() = default;

    // lock_ guards the tables and the choice: detection (host's thread) replaces them whole;
    // connect and the adapter name call read them.
    mutable std::mutex lock_;
    std::vector<Entry> table_;
    int chosen_ = -1;
    bool probeUnit_ = false;
};

// The adapter probe: up to 20 broadcast reads of the link report register 0x400000D4 from the
// adapter's own address, 100 ms apart; true when a reply (FF 04) came back.
bool ProbeAdapter(AdapterSource& source, const std::string& device, const uint8_t mac[6]);

// A description that names the tester's adapter.
bool IsTesterDescription(const std::string& description);

}  // namespace capi
