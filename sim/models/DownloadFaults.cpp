#include "sim/DownloadFaults.h"

#include <limits>

namespace sim {
namespace {

// The page that refuses its programs: the first of the data, which every download writes.
constexpr size_t kRefusingPage = 0;

}  // namespace

bool SetDownloadFault(FullTester& tester, DownloadFault fault) {
    SerialFlash& flash = tester.Driver().Flash();
    UsbUnit* unit = tester.Usb();
    if (fault == DownloadFault::SilentUnit && unit == nullptr) return false;
    if (unit != nullptr) unit->SetSilent(fault == DownloadFault::SilentUnit);
    flash.DropPagePrograms(kRefusingPage,
                           fault == DownloadFault::VerifyMismatch ? std::numeric_limits<size_t>::max() : 0);
    return true;
}

bool ParseDownloadFault(const std::string& word, DownloadFault* fault) {
    if (word == "silent") *fault = DownloadFault::SilentUnit;
    else if (word == "verify") *fault = DownloadFault::VerifyMismatch;
    else if (word == "none") *fault = DownloadFault::None;
    else return false;
    return true;
}

}  // namespace sim
