// The upgrade log: the text file a download through the device API leaves when it passes, with
// the program, the tester's identity rows (read from the About panel's grid at that moment) and
// the date and time. UTF-16 little-endian without a byte-order mark, CR LF after every line, a
// blank line holding one space.
//
// Pure text and file functions, free of windows, so that the bytes can be checked without a
// download; CUpgradeDialog::WriteUpgradeLog reads the grid and shows the notice.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

namespace upgrade {

// The kinds as the device event handler passes them.
enum LogKind : int { kFpgaLog = 0, kFirmwareLog = 1 };

// The About grid's rows at column 0: model, agent, S/N, MAC, PCB, API, FPGA and firmware versions,
// manufacture date. Row 1 (the agent) is not logged.
using IdentityRows = std::array<std::wstring, 9>;

// "Upgrade_FPGA_2024_03_05_09_07.log" for kind 0, "Upgrade_Firmware_..." for any other.
std::wstring LogFileName(int kind, const SYSTEMTIME& time);

// The log folder, ending in a backslash: the per-user log folder's "SysLog\" when there is one
// (it ends in a backslash itself), else the program folder's.
std::wstring LogFolder(const std::wstring& programFolder, const std::wstring& logFolder);

// The whole text. The version suffix ends the current FPGA and firmware version lines.
std::wstring LogText(const IdentityRows& rows, const std::wstring& versionSuffix, const SYSTEMTIME& time);

// The folders of a path that WriteLogFile makes when missing, from the root down: none of a drive's
// root, nor the server and share of a "\\server\share\..." path (a redirected Documents folder).
std::vector<std::wstring> FoldersOf(const std::wstring& folder);

// Creates the folder (and its parents) when missing, then the file (an existing one is replaced)
// with the text's UTF-16LE bytes. False when the folder or the file cannot be made or written.
bool WriteLogFile(const std::wstring& folder, const std::wstring& fileName, const std::wstring& text);

// The message that tells the operator where the log lies.
std::wstring CompletionNotice(const std::wstring& fileName, const std::wstring& folder);
// The message of a passed download whose log could not be saved.
std::wstring LogFailureNotice(const std::wstring& fileName, const std::wstring& folder);

}  // namespace upgrade
