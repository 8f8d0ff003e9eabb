// The system's adapters: wpcap's device list and IP Helper's tables.

#include "link/AdapterSource.h"

#include <winsock2.h>
// The IP definitions that the interface rows (GetIfEntry2) of iphlpapi.h come with.
#include <ws2ipdef.h>

#include <windows.h>
#include <iphlpapi.h>
#include <pcap/pcap.h>

// After winsock2.h: the log header brings windows.h.
#include "runtime/DebugStream.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>

namespace capi {
namespace {

// The names detection may use, from kAdapterFilterVariable; empty for all.
std::vector<std::string> AdapterFilter() {
    std::vector<std::string> names;
    char value[4096];
    const DWORD length = GetEnvironmentVariableA(kAdapterFilterVariable, value, sizeof value);
    if (length == 0 || length >= sizeof value) return names;
    std::string text(value, length);
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find(';', start), text.size());
        if (end > start) names.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

bool Allowed(const std::vector<std::string>& filter, const CaptureDevice& device) {
    if (filter.empty()) return true;
    for (const std::string& name : filter) {
        if (name == device.name || name == device.description) return true;
    }
    return false;
}

struct FreeDeleter {
    void operator()(void* block) const { std::free(block); }
};
using Block = std::unique_ptr<char, FreeDeleter>;

// Calls an IP Helper function into a buffer of a first size, and once more with the size it asks
// for when that was too small.
template <typename Call>
DWORD CallWithBuffer(ULONG firstSize, Block& buffer, Call call) {
    ULONG size = firstSize;
    buffer.reset(static_cast<char*>(std::malloc(size)));
    if (!buffer) return ERROR_NOT_ENOUGH_MEMORY;
    DWORD result = call(buffer.get(), &size);
    if (result == ERROR_BUFFER_OVERFLOW) {
        buffer.reset(static_cast<char*>(std::malloc(size)));
        if (!buffer) return ERROR_NOT_ENOUGH_MEMORY;
        result = call(buffer.get(), &size);
    }
    return result;
}

class SystemAdapterSource : public AdapterSource {
public:
    bool ListCaptureDevices(std::vector<CaptureDevice>& devices) override {
        pcap_if_t* list = nullptr;
        char error[PCAP_ERRBUF_SIZE] = {};
        if (pcap_findalldevs(&list, error) == -1) return false;
        const std::vector<std::string> filter = AdapterFilter();
        for (pcap_if_t* d = list; d; d = d->next) {
            CaptureDevice device{d->name ? d->name : "", d->description ? d->description : ""};
            if (Allowed(filter, device)) devices.push_back(device);
        }
        pcap_freealldevs(list);
        return true;
    }

    AdapterList ListAdapters(std::vector<NetworkAdapter>& adapters) override {
        Block buffer;
        const DWORD result = CallWithBuffer(648, buffer, [](char* block, ULONG* size) {
            return GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(block), size);
        });
        if (result == ERROR_NOT_ENOUGH_MEMORY) return AdapterList::NoMemory;
        if (result != ERROR_SUCCESS) return AdapterList::Failed;
        for (auto* a = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()); a; a = a->Next) {
            const size_t length = std::min<size_t>(a->AddressLength, sizeof a->Address);
            adapters.push_back({a->AdapterName, std::vector<uint8_t>(a->Address, a->Address + length)});
        }
        return AdapterList::Listed;
    }

    std::unique_ptr<Link> Open(const std::string& device, std::string* error) override {
        return OpenCaptureLink(device, error);
    }

    // The adapter is found once in the adapter table; after that only its own row is read, by
    // the identifier the table gave. A look at the whole table gathers every adapter's details
    // (under Wine a hundred wakes of the watch a look); one row costs a fraction of that.
    std::optional<bool> AdapterUp(const std::string& device) override {
        std::lock_guard<std::mutex> guard(watchedLock_);
        if (watchedDevice_ != device) {
            const std::optional<NET_LUID> found = FindEthernetAdapter(device);
            if (!found) return std::nullopt;
            if (found->Value == 0) return false;
            watchedDevice_ = device;
            watchedLuid_ = *found;
        }
        MIB_IF_ROW2 row = {};
        row.InterfaceLuid = watchedLuid_;
        const DWORD result = GetIfEntry2(&row);
        if (result == ERROR_FILE_NOT_FOUND || result == ERROR_NOT_FOUND) return false;
        if (result != NO_ERROR) return std::nullopt;
        return row.OperStatus == IfOperStatusUp;
    }

private:
    // The identifier of the Ethernet adapter behind a capture device: 0 when the table has none,
    // empty when the table cannot be read.
    static std::optional<NET_LUID> FindEthernetAdapter(const std::string& device) {
        Block buffer;
        constexpr ULONG kNoAddresses =
            GAA_FLAG_SKIP_UNICAST | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
        const DWORD result = CallWithBuffer(366, buffer, [](char* block, ULONG* size) {
            return GetAdaptersAddresses(AF_INET, kNoAddresses, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(block),
                                        size);
        });
        // The adapter watch is the only reader of this table: it ends on either failure.
        if (result == ERROR_NOT_ENOUGH_MEMORY) Log("Failed to memory allocate pAddresses");
        if (result != ERROR_SUCCESS) return std::nullopt;
        for (auto* a = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.get()); a; a = a->Next) {
            if (a->IfType != IF_TYPE_ETHERNET_CSMACD || !a->AdapterName || !*a->AdapterName) continue;
            if (device.find(a->AdapterName) != std::string::npos) return a->Luid;
        }
        return NET_LUID{};
    }

    // The adapter the watch looks at: its capture device and identifier. The adapter watch is the
    // only caller; the lock covers a watch of a stopping session that overlaps the next one's.
    std::mutex watchedLock_;
    std::string watchedDevice_;
    NET_LUID watchedLuid_ = {};
};

SystemAdapterSource systemSource;
// Set by UseAdapterSource (tests, before detection); read by detection and the adapter watch.
std::atomic<AdapterSource*> currentSource{&systemSource};

}  // namespace

AdapterSource& Adapters() { return *currentSource.load(); }

void UseAdapterSource(AdapterSource* source) { currentSource = source ? source : &systemSource; }

}  // namespace capi
