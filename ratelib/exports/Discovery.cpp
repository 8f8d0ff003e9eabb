// The discovery export.
#include "Sorvane.h"
#include "discovery/Discovery.h"

extern "C" {

bool WINAPI Ostrel_DiscoverServer(std::uint8_t* result, std::int32_t kindMask) {
    return sorvane::Discover(result, kindMask);
}

}
