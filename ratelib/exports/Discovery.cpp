// The discovery export.
#include "Sorvane.h"
#include "discovery/Discovery.h"

extern "C" {

// No exception leaves the library: one the discovery could not handle (memory ran out) is its
// failure result.
bool WINAPI Ostrel_DiscoverServer(std::uint8_t* result, std::int32_t kindMask) {
    try {
        return sorvane::Discover(result, kindMask);
    } catch (...) {
        return false;
    }
}

}
