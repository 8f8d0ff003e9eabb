#include "info/AboutHandOver.h"

#include <BrevixCAPI.h>

#include <cstring>

namespace info {
namespace {

// The language indexes of the program.
constexpr int kEnglishIndex = 0;
constexpr int kJapaneseIndex = 3;

}  // namespace

AboutSysInfoRecord BuildAboutRecord(const AboutVersions& versions) {
    AboutSysInfoRecord record{};
    record.agent = L"Quendal Agent";
    std::memcpy(record.model, BVX_Module, sizeof record.model);
    std::memcpy(record.serialNumber, BVX_SN, sizeof record.serialNumber);
    std::memcpy(record.mac, BVX_MAC, sizeof record.mac);
    std::memcpy(record.pcbVersion, BVX_PCB, sizeof record.pcbVersion);
    record.fpgaVersion = versions.fpga.GetString();
    record.firmwareVersion = versions.firmware.GetString();
    record.apiVersion = versions.api.GetString();
    std::memcpy(record.productDate, BVX_ProductDate, sizeof record.productDate);
    return record;
}

bool OpenAboutBox(int languageIndex, const AboutVersions& versions) {
    SetAboutDialogSysInfo(BuildAboutRecord(versions));
    int language = 0;
    if (languageIndex == kEnglishIndex) language = kAboutEnglish;
    else if (languageIndex == kJapaneseIndex) language = kAboutJapanese;
    else return false;
    CreateAboutDialog(kAboutProduct, AboutText(kProgramVersion), kAboutYear, 0, language);
    return true;
}

}  // namespace info
