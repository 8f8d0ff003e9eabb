#pragma once
// A simulated chip driver for BrevixT_WIN7 in this process, the message boxes it shows, and
// readers of the driver's call log.

#include "sim/ChipDriver.h"
#include "support/BoxWatcher.h"
#include "support/FpgaImageFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace win7test {

using sim::Bytes;
using Boxes = std::vector<std::pair<std::wstring, std::wstring>>;

// The command blocks that the SPI command class was given, in order.
inline std::vector<Bytes> CommandBlocks(const std::vector<sim::DriverCall>& calls) {
    std::vector<Bytes> blocks;
    for (const sim::DriverCall& call : calls) {
        if (call.kind != sim::DriverCall::Kind::WmiPut || call.target != L"AX88172ASpiSendCommand_OID") continue;
        const sim::WmiValue* block = call.object.Find(L"SpiSendCommand");
        if (block) blocks.push_back(block->bytes);
    }
    return blocks;
}

// The pages that page-program blocks (direction 1, opcode 02) went to, in order.
inline std::vector<int> ProgrammedPages(const std::vector<sim::DriverCall>& calls) {
    std::vector<int> pages;
    for (const Bytes& block : CommandBlocks(calls))
        if (block.size() > 27 && block[0] == 1 && block[24] == 0x02) pages.push_back(block[25] << 8 | block[26]);
    return pages;
}

using support::PofImage;
using support::Reversed;

// The text and caption of each box seen, from the `from`th on.
inline Boxes TextsAndCaptions(const support::BoxWatcher& boxes, size_t from = 0) {
    Boxes seen;
    const std::vector<support::SeenBox> all = boxes.Boxes();
    for (size_t i = from; i < all.size(); ++i) seen.emplace_back(all[i].text, all[i].caption);
    return seen;
}

// Files in the temporary folder, deleted with the owner.
class TempFiles {
public:
    ~TempFiles() {
        for (const std::wstring& path : paths_) DeleteFileW(path.c_str());
    }
    std::wstring Write(const Bytes& bytes) {
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        const std::wstring path = std::wstring(folder) + L"brevix-w7-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(paths_.size()) + L".pof";
        if (std::FILE* file = _wfopen(path.c_str(), L"wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
        paths_.push_back(path);
        return path;
    }

private:
    std::vector<std::wstring> paths_;
};

}  // namespace win7test
