#include "sim/TesterModel.h"

#include <algorithm>

namespace sim {
namespace {

const uint8_t kLibrarySource[6] = {0x02, 0x5E, 0xC1, 0x0D, 0x00, 0x00};

void StoreText(TesterModel& model, uint8_t firstWord, const std::string& text, size_t length) {
    for (size_t i = 0; i < length; i += 2) {
        const uint8_t low = i < text.size() ? uint8_t(text[i]) : 0;
        const uint8_t high = i + 1 < text.size() ? uint8_t(text[i + 1]) : 0;
        model.SetEepromWord(uint8_t(firstWord + i / 2), uint16_t(low | high << 8));
    }
}

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

TesterModel::TesterModel(Tester& tester, int machineId) : tester_(tester) {
    eeprom_.fill(0xFFFF);
    SetMachineId(machineId);
    RegisterFile& registers = tester_.Registers();
    registers.OnWrite(kEepromCommand, [this](uint32_t, uint32_t value) { OnEepromCommand(value); });
    registers.OnRead(kEepromCommand, [this](uint32_t) { return OnEepromRead(); });
    // Writes to the link report's address set the shadow control bits; reads report the links.
    registers.OnRead(kLinkReport, [this](uint32_t) { return linkReport_.load(); });
    tester_.AddFrameHandler([this](const Bytes& frame) { return OnProbe(frame); });
}

void TesterModel::SetMachineId(int machineId) {
    tester_.Registers().Set(kSystemId, SystemIdOf(machineId));
    std::lock_guard<std::mutex> guard(lock_);
    selector_ = EepromSelectorOf(machineId);
}

void TesterModel::SetIdentity(const TesterIdentity& identity) {
    StoreText(*this, 16, identity.model, 16);
    StoreText(*this, 33, identity.eepromVersion, 2);
    StoreText(*this, 38, identity.serialNumber, 20);
    StoreText(*this, 48, identity.productDate, 12);
    const std::string mac(identity.mac.begin(), identity.mac.end());
    StoreText(*this, 64, mac, 6);
}

void TesterModel::SetEepromWord(uint8_t word, uint16_t value) {
    std::lock_guard<std::mutex> guard(lock_);
    eeprom_[word & 0x7F] = value;
}

uint16_t TesterModel::EepromWord(uint8_t word) const {
    std::lock_guard<std::mutex> guard(lock_);
    return eeprom_[word & 0x7F];
}

void TesterModel::SetVersion(uint32_t fpga, uint32_t hardware, uint32_t firmware) {
    tester_.Registers().Set(kFpgaVersion, fpga);
    tester_.Registers().Set(kHardware, hardware);
    tester_.Registers().Set(kFirmwareVersion, firmware);
}

void TesterModel::SetLinkReport(uint32_t value) { linkReport_ = value; }

// EEPROM command words: bit 31 read, bits 28-30 the chip selector, bits 16-23 the word address.
void TesterModel::OnEepromCommand(uint32_t value) {
    std::lock_guard<std::mutex> guard(lock_);
    const bool read = value & 0x80000000u;
    const uint8_t selector = (value >> 28) & 7;
    latchedWord_ = read && selector == selector_ ? int((value >> 16) & 0x7F) : -1;
}

uint32_t TesterModel::OnEepromRead() {
    std::lock_guard<std::mutex> guard(lock_);
    return latchedWord_ < 0 ? 0xFFFF : eeprom_[latchedWord_];
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
