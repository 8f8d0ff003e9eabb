#include "SysInfoStore.h"

#include <mutex>

namespace about {
namespace {

// The stored record and its lock: written by SetAboutDialogSysInfo and read by CreateAboutDialog,
// on whatever threads the program calls them from.
std::mutex storeLock;
AboutSysInfoRecord stored{};

}  // namespace

void StoreSysInfo(const AboutSysInfoRecord& record) {
    std::lock_guard<std::mutex> lock(storeLock);
    stored = record;
}

AboutSysInfoRecord StoredSysInfo() {
    std::lock_guard<std::mutex> lock(storeLock);
    return stored;
}

}  // namespace about
