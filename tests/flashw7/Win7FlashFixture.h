#pragma once
// The DLL's flash layer against a simulated chip driver that a test can replace (its classes come
// back whole), with the message boxes it shows.

#include "BrevixTWin7.h"
#include "Win7Fixture.h"

#include <objbase.h>

#include <optional>

namespace win7test {

constexpr wchar_t kSend[] = L"AX88172ASpiSendCommand_OID";
constexpr wchar_t kStatus[] = L"AX88172ASpiStatus_OID";
constexpr wchar_t kData[] = L"AX88172ASpiGetData_OID";
constexpr wchar_t kConfig[] = L"AX88172ASpiConfig_OID";
constexpr wchar_t kGpio[] = L"Set_Gpio_Value_OID";

inline bool ComInitialisedHere() {
    APTTYPE type;
    APTTYPEQUALIFIER qualifier;
    return CoGetApartmentType(&type, &qualifier) != CO_E_NOTINITIALIZED;
}

class Win7FlashTest : public testing::Test {
protected:
    void SetUp() override {
        host_.Start();
        host_.Attach();
    }
    // The library keeps its connection between tests: close it while this test's driver listens.
    void TearDown() override {
        chip_.reset();
        chip_.emplace(host_);
        BrevixT_EEProm_Shutdown_Win7();
    }

    void InitFlash() {
        ASSERT_TRUE(BrevixT_EEProm_Init_Win7());
        host_.ClearCalls();
    }

    sim::ChipDriver& Chip() { return *chip_; }

    sim::DriverHost host_;
    std::optional<sim::ChipDriver> chip_{std::in_place, host_};
    support::BoxWatcher boxes_;
};

}  // namespace win7test
