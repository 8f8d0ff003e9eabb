// BrevixT_SYS_DownloadFPGAW7: the FPGA download, synchronously on the caller's thread.

#include "BrevixTWin7.h"
#include "Boxes.h"
#include "FpgaDownload.h"

#include <cstdio>
#include <memory>

extern "C" bool __stdcall BrevixT_SYS_DownloadFPGAW7(const wchar_t* path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(path ? _wfopen(path, L"rb") : nullptr, std::fclose);
    if (!file) {
        win7::ShowBox("Can not open FPGA file!", "Note");
        return false;
    }
    return win7::DownloadFpgaImage(file.get(), win7::FlashCommands::Instance(), win7::kProgressWindowTitle);
}
