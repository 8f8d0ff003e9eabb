#include "XlrdReader.h"

#include "support/Environment.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace xlstest {
namespace {

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int chars = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(chars, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), chars);
    return wide;
}

std::string Unescape(const std::string& text) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            plain += next == 't' ? '\t' : next == 'n' ? '\n' : next;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) fields.push_back(field);
    return fields;
}

std::wstring ToWindowsPath(const std::string& unixPath) {
    std::wstring path = L"Z:" + FromUtf8(unixPath);
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

}  // namespace

WorkFile MakeWorkFile(const std::string& name) {
    const std::string folder = XLS_WORK_DIR;
    CreateDirectoryW(ToWindowsPath(folder).c_str(), nullptr);
    WorkFile file{ToWindowsPath(folder + "/" + name), folder + "/" + name};
    DeleteFileW(file.windowsPath.c_str());
    return file;
}

ReadBook ReadWithXlrd(const WorkFile& workbook, std::chrono::milliseconds patience) {
    const WorkFile output = MakeWorkFile(workbook.unixPath.substr(workbook.unixPath.rfind('/') + 1) + ".read.txt");
    support::RunUnixCommand(std::string("/usr/bin/python3 ") + XLS_READER + " " + workbook.unixPath + " " +
                            output.unixPath);
    ReadBook book;
    if (!support::Eventually([&] { return GetFileAttributesW(output.windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES; },
                             patience)) {
        book.error = L"the reader wrote nothing";
        return book;
    }
    std::ifstream in(output.windowsPath.c_str(), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        const std::vector<std::string> f = Fields(line);
        if (f.empty()) continue;
        if (f[0] == "error") {
            book.error = FromUtf8(Unescape(f.size() > 1 ? f[1] : ""));
            continue;
        }
        if (f.size() < 3) continue;
        const size_t sheet = std::stoul(f[1]);
        if (book.sheets.size() <= sheet) book.sheets.resize(sheet + 1);
        ReadSheet& s = book.sheets[sheet];
        if (f[0] == "sheet") {
            s.name = FromUtf8(Unescape(f[2]));
        } else if (f[0] == "size" && f.size() == 4) {
            s.rows = std::stoi(f[2]);
            s.columns = std::stoi(f[3]);
        } else if (f[0] == "text") {
            s.texts[{std::stoi(f[2]), std::stoi(f[3])}] = FromUtf8(Unescape(f.size() > 4 ? f[4] : ""));
        } else if (f[0] == "number" && f.size() == 5) {
            s.numbers[{std::stoi(f[2]), std::stoi(f[3])}] = std::stod(f[4]);
        } else if (f[0] == "width" && f.size() == 5) {
            s.widths[std::stoi(f[2])] = {std::stoi(f[3]), f[4] == "1"};
        } else if (f[0] == "height" && f.size() == 5) {
            s.heights[std::stoi(f[2])] = {std::stoi(f[3]), f[4] == "1"};
        }
    }
    return book;
}

}  // namespace xlstest
