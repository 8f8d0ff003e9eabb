#include "link/Detection.h"

#include "BrevixCAPI.h"
#include "connection/DeviceMode.h"
#include "identity/Identity.h"
#include "runtime/DebugStream.h"

#include <algorithm>
#include <cstring>

namespace capi {
namespace {

constexpr const char* kTesterDescriptions[] = {
    "USB2.0 to Fast Ethernet Adapter",
    "Brevix-A/C Stream Gen Analyzer",
    "Brevix Series Stream Gen & Analyzer",
    "Brevix Series Stream Gen",
};

constexpr uint8_t kMakerPrefix[3] = {0x02, 0x5E, 0xC1};

void LogAdapter(int index, const std::string& name, const std::string& description, const uint8_t mac[6]) {
    Log("Adapter index: ", index);
    Log("Adapter Name: ", name);
    Log("Adapter Desc: ", description);
    Log("Adapter MAC: ", Hex{mac[0], 2}, "-", Hex{mac[1], 2}, "-", Hex{mac[2], 2}, "-", Hex{mac[3], 2}, "-",
        Hex{mac[4], 2}, "-", Hex{mac[5], 2});
}

}  // namespace

bool IsTesterDescription(const std::string& description) {
    for (const char* text : kTesterDescriptions) {
        if (description.find(text) != std::string::npos) return true;
    }
    return false;
}

Detection& Detection::Instance() {
    static Detection detection;
    return detection;
}

int Detection::Detect(char* modelName) {
    SetDeviceMode(kPacketGeneratorMode);
    {
        std::lock_guard<std::mutex> guard(lock_);
        chosen_ = -1;
        probeUnit_ = false;
    }
    AdapterSource& source = Adapters();
    std::vector<CaptureDevice> devices;
    if (!source.ListCaptureDevices(devices)) {
        Log("Detect no device");
        return 0;
    }

    // The tables list the capture devices in reverse order; devices past the tables' size are
    // not considered.
    const size_t count = std::min(devices.size(), kAdapterTableSize);
    std::vector<Entry> table(count);
    int chosen = -1;
    for (size_t k = 0; k < count; ++k) {
        Entry& entry = table[count - 1 - k];
        entry.name = devices[k].name.empty() ? "No NIC name available" : devices[k].name;
        entry.hasDescription = !devices[k].description.empty();
        entry.description = entry.hasDescription ? devices[k].description : "No NIC description available";
        if (entry.hasDescription && chosen < 0 && IsTesterDescription(entry.description)) chosen = int(count - 1 - k);
    }

    std::vector<NetworkAdapter> adapters;
    switch (source.ListAdapters(adapters)) {
    case AdapterList::NoMemory:
        Log("\"AdapterInfo\" memory allocate failed");
        return 0;
    case AdapterList::Failed:
        Log("\"GetAdaptersInfo\" failed");
        return 0;
    case AdapterList::Listed:
        break;
    }

    bool probeUnit = false;
    uint8_t hostMac[6] = {};
    Identity& identity = Identity::Instance();
    for (const NetworkAdapter& adapter : adapters) {
        if (adapter.name.empty() || adapter.mac.size() < 6 || !std::equal(kMakerPrefix, kMakerPrefix + 3, adapter.mac.begin())) {
            continue;
        }
        for (size_t i = 0; i < table.size(); ++i) {
            if (table[i].name.find(adapter.name) == std::string::npos) continue;
            switch (adapter.mac[3]) {
            case 0x20:
                identity.SetDetectedModel(2, "Brevix-A");
                break;
            case 0x21:
                identity.SetDetectedModel(1, "Brevix-CF");
                break;
            case 0x2F:
                identity.SetDetectedModel(3, "Brevix-H");
                break;
            case 0xFF:
                if (chosen >= 0 || !ProbeAdapter(source, table[i].name, adapter.mac.data())) continue;
                identity.SetDetectedModel(1, "Brevix-CF");
                chosen = static_cast<int>(i);
                probeUnit = true;
                break;
            default:
                continue;
            }
            std::copy(adapter.mac.begin(), adapter.mac.begin() + 6, hostMac);
        }
    }

    {
        std::lock_guard<std::mutex> guard(lock_);
        table_ = table;
        chosen_ = chosen;
        probeUnit_ = probeUnit;
    }
    if (chosen < 0) {
        Log("Detect Failed");
        return 0;
    }
    LogAdapter(chosen, table[chosen].name, table[chosen].description, hostMac);
    if (modelName) std::memcpy(modelName, BVX_Module, std::strlen(BVX_Module));
    return 1;
}

int Detection::GetAdapterName(char* name) const {
    std::lock_guard<std::mutex> guard(lock_);
    if (!name || chosen_ < 0) return 0;
    // The host's buffer holds kAdapterNameBuffer bytes: a longer name is cut, and the name always
    // ends in a terminator (a host that zero-filled its buffer sees no difference).
    const std::string& chosen = table_[chosen_].name;
    const size_t length = std::min(chosen.size(), kAdapterNameBuffer - 1);
    std::memcpy(name, chosen.data(), length);
    name[length] = '\0';
    return 1;
}

std::optional<ChosenAdapter> Detection::Chosen() const {
    std::lock_guard<std::mutex> guard(lock_);
    if (chosen_ < 0) return std::nullopt;
    return ChosenAdapter{table_[chosen_].name, probeUnit_};
}

}  // namespace capi
