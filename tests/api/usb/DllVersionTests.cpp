// The version query reports the product version of the program that loaded the library, found
// through the first language of the program's translation table (HostProgramVersion.rc).

#include "usb/UsbBench.h"

#include <cstring>

using namespace usbbench;

namespace {

using GetDllVersion = int(__stdcall*)(char*);

TEST(KorrinDllVersion, ReportsTheHostProgramsProductVersionInItsFirstLanguage) {
    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    ASSERT_EQ(Export<GetDllVersion>("_Korrin_GetDllVersion@4")(buffer), 1);
    EXPECT_STREQ(buffer, "7.3.0.218");
    EXPECT_EQ(buffer[10], '#') << "the text and its zero, nothing after them";
}

}  // namespace
