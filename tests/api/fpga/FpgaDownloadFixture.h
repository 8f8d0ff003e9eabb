#pragma once
// The fixture of the FPGA download tests through the DLL: the simulated chip driver, and the
// library started with the test's recorder as its host callback, both logs empty.

#include "BrevixCAPI.h"
#include "fpga/DownloadMessages.h"
#include "serialflash/ChipDriverFixture.h"
#include "support/CallbackRecorder.h"
#include "support/Waiting.h"

#include <chrono>

namespace download {

using namespace std::chrono_literals;
using support::CallbackRecorder;
using support::HostMessage;

class DownloadTest : public ChipDriverFixture {
protected:
    void SetUp() override {
        ChipDriverFixture::SetUp();
        BrevixC_SYS_Init(&CallbackRecorder::Callback, 0);
        // The start looks for a USB-attached unit through the same driver pipe.
        host_.ClearCalls();
        recorder_.Clear();
    }

    CallbackRecorder& recorder_ = CallbackRecorder::Instance();
};

}  // namespace download
