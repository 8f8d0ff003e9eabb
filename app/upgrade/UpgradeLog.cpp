#include "upgrade/UpgradeLog.h"

#include "info/AboutHandOver.h"

#include <cwchar>
#include <memory>

namespace upgrade {
namespace {

constexpr wchar_t kProgramName[] = L"QT714-NIC";
constexpr size_t kRuleLength = 148;
constexpr size_t kSectionRuleLength = 77;

std::wstring Formatted(const wchar_t* format, int a, int b, int c) {
    wchar_t text[64];
    std::swprintf(text, 64, format, a, b, c);
    return text;
}

class LogLines {
public:
    void Line(const std::wstring& line) { text_ += line + L"\r\n"; }
    void Blank() { Line(L" "); }
    // A line and the blank that follows it.
    void Spaced(const std::wstring& line) {
        Line(line);
        Blank();
    }
    void Section(const wchar_t* title) { Spaced(title + std::wstring(kSectionRuleLength, L'=')); }
    std::wstring Text() const { return text_; }

private:
    std::wstring text_;
};

void IdentitySection(LogLines& lines, const IdentityRows& rows, const std::wstring& versionSuffix) {
    lines.Spaced(L"Module Name: " + rows[0]);
    lines.Spaced(L"SN: " + rows[2]);
    lines.Spaced(L"MAC: " + rows[3]);
    lines.Spaced(L"Hardware Version: " + rows[4]);
    lines.Spaced(L"API Version: " + rows[5]);
    lines.Spaced(L"FPGA Version: " + rows[6] + versionSuffix);
    lines.Spaced(L"FW Version: " + rows[7] + versionSuffix);
    lines.Spaced(L"Manufacture Date: " + rows[8]);
}

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

// Makes every missing folder of the path, from the root down.
bool MakeFolders(const std::wstring& folder) {
    for (const std::wstring& part : FoldersOf(folder))
        if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::vector<std::wstring> FoldersOf(const std::wstring& folder) {
    // After "C:\", or after the server and the share of "\\server\share\", which are no folders
    // anyone can make: Windows refuses to create them even where they exist.
    size_t first = 3;
    if (folder.compare(0, 2, L"\\\\") == 0) {
        const size_t server = folder.find_first_of(L"\\/", 2);
        const size_t share = server == std::wstring::npos ? server : folder.find_first_of(L"\\/", server + 1);
        if (share == std::wstring::npos) return {};
        first = share + 1;
    }
    std::vector<std::wstring> folders;
    for (size_t at = folder.find_first_of(L"\\/", first); at != std::wstring::npos;
         at = folder.find_first_of(L"\\/", at + 1))
        folders.push_back(folder.substr(0, at));
    return folders;
}

std::wstring LogFileName(int kind, const SYSTEMTIME& time) {
    wchar_t name[96];
    std::swprintf(
        name, 96,
        kind == kFpgaLog ? L"Upgrade_FPGA_%d_%02d_%02d_%02d_%02d.log" : L"Upgrade_Firmware_%d_%02d_%02d_%02d_%02d.log",
        time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute);
    return name;
}

std::wstring LogFolder(const std::wstring& programFolder, const std::wstring& logFolder) {
    return logFolder.empty() ? programFolder + L"\\SysLog\\" : logFolder + L"SysLog\\";
}

std::wstring LogText(const IdentityRows& rows, const std::wstring& versionSuffix, const SYSTEMTIME& time) {
    LogLines lines;
    const std::wstring rule(kRuleLength, L'*');
    lines.Spaced(rule);
    lines.Spaced(std::wstring(L"* Program    : ") + kProgramName);
    lines.Spaced(std::wstring(L"* Version    : ") + info::kProgramVersion);
    lines.Spaced(L"* Instruments: " + rows[0]);
    lines.Spaced(L"* Publisher  : Quendal Technologies");
    lines.Spaced(L"* Support    : technical support of Quendal Technologies");
    lines.Spaced(rule);
    lines.Blank();
    lines.Section(L"===<< Previous System Information >>");
    IdentitySection(lines, rows, L"");
    lines.Blank();
    lines.Section(L"===<< Current System Information >>");
    IdentitySection(lines, rows, versionSuffix);
    lines.Blank();
    lines.Section(L"===<< Upgrading Time/Date >>");
    lines.Spaced(Formatted(L"Upgrading Date: %d/%02d/%02d", time.wYear, time.wMonth, time.wDay));
    lines.Spaced(Formatted(L"Upgrading Time: %02d:%02d:%02d", time.wHour, time.wMinute, time.wSecond));
    return lines.Text();
}

bool WriteLogFile(const std::wstring& folder, const std::wstring& fileName, const std::wstring& text) {
    if (!MakeFolders(folder)) return false;
    const std::wstring path = folder + fileName;
    const HANDLE created =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE) return false;
    const FileHandle file(created);
    // wchar_t is UTF-16 little-endian on Windows: the characters are the file's bytes.
    const DWORD size = DWORD(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    return WriteFile(file.get(), text.data(), size, &written, nullptr) && written == size;
}

std::wstring CompletionNotice(const std::wstring& fileName, const std::wstring& folder) {
    return L"File Name: " + fileName + L"\n\nAuto-Save File Path: " + folder +
           L"\n\n"
           L"Upgrade complete! Please restart your device by powering it off, and power it back on.\n"
           L"The upgrade log file will be saved automatically in the file path listed in the \"Auto-Save File "
           L"Path\" field.\n"
           L"Please send the upgrade log file by e-mail to Quendal Technologies' technical support "
           L"(support@quendal-tech.com).\n"
           L"Quendal Technologies will send you related product/technical information from time to time.\n";
}

std::wstring LogFailureNotice(const std::wstring& fileName, const std::wstring& folder) {
    return L"Upgrade complete! Please restart your device by powering it off, and power it back on.\n\n"
           L"The upgrade log file \"" +
           fileName + L"\" could not be saved in \"" + folder + L"\".\n";
}

}  // namespace upgrade
