#pragma once
// The Tx stream tables of both ports: 64 entries each, held sparsely (only words the host wrote
// exist). Table words are 32-bit registers 4 bytes apart. Addresses of entry k of a port (Port B
// at + 0x02000000 unless stated):
//                 first map (ids 1, 2)                    second map (ids 3, 4)
//   descriptor    0x42200000 + 16k, 4 words               the same
//   extension     0x42200400 + 8k, 2 words                0x42300000 + 8k, 2 words
//   modifiers     0x42200800 + 16k, 4 words               0x42100000 + 16k, 4 words (G0 G1 of
//                                                         entry k, then G0 G1 of entry k + 1)
//   payload       0x60000000 + 0x4000k (Port B at         0x42000000 + 2048k, up to 250 words
//                 0x70000000), up to 250 words

#include "sim/RegisterMap.h"
#include "sim/Tester.h"

#include <array>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace sim {

class TxTables {
public:
    static constexpr int kEntries = 64;
    static constexpr int kPayloadWords = 250;

    TxTables(Tester& tester, RegisterMap map);
    TxTables(const TxTables&) = delete;
    TxTables& operator=(const TxTables&) = delete;

    uint32_t DescriptorAddress(int port, int entry) const;
    uint32_t ExtensionAddress(int port, int entry) const;
    uint32_t ModifierAddress(int port, int entry) const;
    uint32_t PayloadAddress(int port, int entry) const;

    // A word the host wrote, or nothing.
    std::optional<uint32_t> Word(uint32_t address) const;
    std::array<uint32_t, 4> Descriptor(int port, int entry) const;  // unwritten words read 0
    std::array<uint32_t, 2> Extension(int port, int entry) const;
    std::array<uint32_t, 4> Modifiers(int port, int entry) const;
    // The payload words written from the entry's start, up to the first gap.
    std::vector<uint32_t> Payload(int port, int entry) const;
    // Every word the host wrote into any table, by address.
    std::map<uint32_t, uint32_t> Words() const;
    void Clear();

private:
    std::array<uint32_t, 4> Read4(uint32_t address) const;

    const RegisterMap map_;
    // Guarded by lock_: the simulator's receive thread stores, tests read.
    mutable std::mutex lock_;
    std::map<uint32_t, uint32_t> words_;
};

}  // namespace sim
