#include "sim/TesterModel.h"

#include <algorithm>

namespace sim {
namespace {

const uint8_t kLibrarySource[6] = {0x02, 0x5E, 0xC1, 0x0D, 0x00, 0x00};

}  // namespace

uint32_t SystemIdOf(int machineId) {
    switch (machineId) {
    case 2:
        return 0xDD100000;
    case 3:
        return 0xDD800000;
    case 4:
        return 0xDD802001;
    default:
        return 0xDD300000;
    }
}

uint8_t EepromSelectorOf(int machineId) { return machineId == 2 ? 1 : 0; }

TesterModel::TesterModel(Tester& tester, int machineId)
    : tester_(tester), eeprom_(tester, EepromSelectorOf(machineId)) {
    SetMachineId(machineId);
    tester_.AddFrameHandler([this](const Bytes& frame) { return OnProbe(frame); });
}

void TesterModel::SetMachineId(int machineId) {
    tester_.Registers().Set(kSystemId, SystemIdOf(machineId));
    eeprom_.SetSelector(EepromSelectorOf(machineId));
}

void TesterModel::StoreText(uint8_t firstWord, const std::string& text, size_t length) {
    for (size_t i = 0; i < length; i += 2) {
        const uint8_t low = i < text.size() ? uint8_t(text[i]) : 0;
        const uint8_t high = i + 1 < text.size() ? uint8_t(text[i + 1]) : 0;
        eeprom_.SetWord(uint8_t(firstWord + i / 2), uint16_t(low | high << 8));
    }
}

void TesterModel::SetIdentity(const TesterIdentity& identity) {
    identity_ = identity;
    StoreText(16, identity.model, 16);
    StoreText(33, identity.eepromVersion, 2);
    StoreText(38, identity.serialNumber, 20);
    StoreText(48, identity.productDate, 12);
    StoreText(64, std::string(identity.mac.begin(), identity.mac.end()), 6);
}

void TesterModel::SetVersion(uint32_t fpga, uint32_t hardware, uint32_t firmware) {
    tester_.Registers().Set(kFpgaVersion, fpga);
    tester_.Registers().Set(kHardware, hardware);
    tester_.Registers().Set(kFirmwareVersion, firmware);
}

void TesterModel::AnswerProbeOn(int frameNumber) {
    answerProbeOn_ = frameNumber;
    probesSinceChoice_ = 0;
}

bool TesterModel::OnProbe(const Bytes& frame) {
    if (frame.size() < 20 || frame[12] != 0xFF || frame[13] != 0x03) return false;
    if (std::equal(kLibrarySource, kLibrarySource + 6, frame.begin() + 6)) return false;
    ++probeFrames_;
    const int number = ++probesSinceChoice_;
    if (answerProbeOn_ != 0 && number >= answerProbeOn_) tester_.SendRaw(tester_.BuildReply(frame));
    return true;
}

}  // namespace sim
