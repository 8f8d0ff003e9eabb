#pragma once
// The USB channel of a Brevix-H unit, played in this program: the library's static build takes
// these functions in place of its channel, so the unit answers the identity read of connect and
// keeps a 93C56 of its own.

#include <array>
#include <cstdint>
#include <vector>

namespace fakeusb {

struct Unit {
    std::array<uint8_t, 256> eeprom{};      // as the channel hands the words over
    std::vector<std::vector<uint8_t>> writes;  // the 72-byte records written
    int opened = 0;
    int closed = 0;
    int failReadAtBlock = -1;  // a block read (0-7) that fails
};

Unit& TheUnit();

}  // namespace fakeusb
