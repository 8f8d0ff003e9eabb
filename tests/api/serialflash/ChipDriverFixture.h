#pragma once
// A simulated chip driver for the library in this process, and readers of its call log.

#include "BrevixCFlash.h"
#include "sim/ChipDriver.h"
#include "support/BoxWatcher.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

class ChipDriverFixture : public testing::Test {
protected:
    using Bytes = sim::Bytes;

    void SetUp() override {
        host_.Start();
        host_.Attach();
    }

    // The layer keeps its connection between tests: close it while this test's driver listens.
    void TearDown() override { BrevixT_EEProm_Shutdown(); }

    // The command blocks of the SPI transactions since the log was cleared.
    std::vector<Bytes> Transactions() const {
        std::vector<Bytes> blocks;
        for (const sim::DriverCall& call : host_.Calls())
            if (call.kind == sim::DriverCall::Kind::IoControl && call.code == sim::ChipDriver::kSpiTransaction)
                blocks.push_back(call.input);
        return blocks;
    }

    // A transaction's command bytes (behind the 24-byte header).
    static Bytes Command(const Bytes& block) {
        const size_t length = block[8];
        return Bytes(block.begin() + 24, block.begin() + 24 + length);
    }

    // Writes a file into the temporary folder; it is deleted with the fixture.
    std::wstring WriteTempFile(const Bytes& bytes) {
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        const std::wstring path = std::wstring(folder) + L"brevix-fpga-" + std::to_wstring(GetCurrentProcessId()) +
                                  L"-" + std::to_wstring(files_.size()) + L".pof";
        if (std::FILE* file = _wfopen(path.c_str(), L"wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
        files_.push_back(path);
        return path;
    }

    ~ChipDriverFixture() override {
        for (const std::wstring& path : files_) DeleteFileW(path.c_str());
    }

    void InitFlash() {
        ASSERT_TRUE(BrevixT_EEProm_Init());
        host_.ClearCalls();
    }

    std::vector<std::wstring> files_;
    sim::DriverHost host_;
    sim::ChipDriver chip_{host_};
    support::BoxWatcher boxes_;
};
