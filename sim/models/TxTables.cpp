#include "sim/TxTables.h"

namespace sim {
namespace {

constexpr uint32_t kStride = 4;  // table words are 32-bit registers, 4 bytes apart

}  // namespace

TxTables::TxTables(Tester& tester, RegisterMap map) : map_(map) {
    RegisterFile& registers = tester.Registers();
    auto store = [this](uint32_t address, uint32_t value) {
        std::lock_guard<std::mutex> guard(lock_);
        words_[address] = value;
    };
    for (int port = 0; port < 2; ++port) {
        // One range per table, from entry 0 to the end of entry 63 (the second map's modifier
        // rows reach one entry further).
        const auto span = [&](uint32_t first, uint32_t last) { registers.OnWrite(first, last, store); };
        span(DescriptorAddress(port, 0), DescriptorAddress(port, kEntries) - 1);
        span(ExtensionAddress(port, 0), ExtensionAddress(port, kEntries) - 1);
        span(ModifierAddress(port, 0), ModifierAddress(port, kEntries) - 1);
        span(PayloadAddress(port, 0), PayloadAddress(port, kEntries - 1) + kStride * kPayloadWords - 1);
    }
}

uint32_t TxTables::DescriptorAddress(int port, int entry) const {
    return 0x42200000 + PortOffset(port) + 16 * uint32_t(entry);
}

uint32_t TxTables::ExtensionAddress(int port, int entry) const {
    return (map_ == RegisterMap::First ? 0x42200400 : 0x42300000) + PortOffset(port) + 8 * uint32_t(entry);
}

uint32_t TxTables::ModifierAddress(int port, int entry) const {
    return (map_ == RegisterMap::First ? 0x42200800 : 0x42100000) + PortOffset(port) + 16 * uint32_t(entry);
}

uint32_t TxTables::PayloadAddress(int port, int entry) const {
    if (map_ == RegisterMap::First) return 0x60000000 + 0x10000000 * uint32_t(port) + 0x4000 * uint32_t(entry);
    return 0x42000000 + PortOffset(port) + 2048 * uint32_t(entry);
}

std::optional<uint32_t> TxTables::Word(uint32_t address) const {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = words_.find(address);
    if (it == words_.end()) return std::nullopt;
    return it->second;
}

std::array<uint32_t, 4> TxTables::Read4(uint32_t address) const {
    std::array<uint32_t, 4> words{};
    for (uint32_t i = 0; i < 4; ++i) words[i] = Word(address + kStride * i).value_or(0);
    return words;
}

std::array<uint32_t, 4> TxTables::Descriptor(int port, int entry) const {
    return Read4(DescriptorAddress(port, entry));
}

std::array<uint32_t, 2> TxTables::Extension(int port, int entry) const {
    const uint32_t address = ExtensionAddress(port, entry);
    return {Word(address).value_or(0), Word(address + kStride).value_or(0)};
}

std::array<uint32_t, 4> TxTables::Modifiers(int port, int entry) const {
    return Read4(ModifierAddress(port, entry));
}

std::vector<uint32_t> TxTables::Payload(int port, int entry) const {
    std::vector<uint32_t> payload;
    const uint32_t address = PayloadAddress(port, entry);
    std::lock_guard<std::mutex> guard(lock_);
    for (uint32_t i = 0;; ++i) {
        auto it = words_.find(address + kStride * i);
        if (it == words_.end()) break;
        payload.push_back(it->second);
    }
    return payload;
}

std::map<uint32_t, uint32_t> TxTables::Words() const {
    std::lock_guard<std::mutex> guard(lock_);
    return words_;
}

void TxTables::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    words_.clear();
}

}  // namespace sim
