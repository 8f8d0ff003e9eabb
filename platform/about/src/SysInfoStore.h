// The library's copy of the last system information record given.
#pragma once

#include "about/AboutSysInfo.h"

namespace about {

void StoreSysInfo(const AboutSysInfoRecord& record);
// A copy of the stored record; all fields empty before the first record arrives.
AboutSysInfoRecord StoredSysInfo();

}  // namespace about
