#include "AboutWording.h"

namespace about {
namespace {

const AboutWording kEnglish = {
    L"About {}",
    L"Version ",
    L"Copyright (C) {} Morvath. All rights reserved.",
    L"System information",
    {L"Model", L"Agent / Customer", L"S/N", L"MAC", L"PCB Version", L"API Version", L"FPGA Version", L"FW Version",
     L"Manufacture Date"},
    L"OK",
};

const AboutWording kJapanese = {
    L"{} のバージョン情報",
    L"バージョン ",
    L"Copyright (C) {} Morvath. All rights reserved.",
    L"システム情報",
    {L"モデル", L"代理店 / 顧客", L"シリアル番号", L"MAC アドレス", L"PCB バージョン", L"API バージョン",
     L"FPGA バージョン", L"FW バージョン", L"製造日"},
    L"OK",
};

// A byte field of the record: its text up to the first null, never beyond the field.
std::wstring FieldText(const char* bytes, size_t size) {
    size_t length = 0;
    while (length < size && bytes[length]) ++length;
    if (length == 0) return std::wstring();
    const int chars = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(length), nullptr, 0);
    std::wstring text(chars, L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(length), text.data(), chars);
    return text;
}

// Twelve digits of year, month, day, hour and minute read as "YYYY/MM/DD hh:mm"; anything else as it is.
std::wstring DateText(const char* bytes, size_t size) {
    const std::wstring digits = FieldText(bytes, size);
    if (digits.size() != 12 || digits.find_first_not_of(L"0123456789") != std::wstring::npos) return digits;
    return digits.substr(0, 4) + L"/" + digits.substr(4, 2) + L"/" + digits.substr(6, 2) + L" " +
           digits.substr(8, 2) + L":" + digits.substr(10, 2);
}

// "%02X-%02X-%02X-%02X-%02X-%02X" of the six bytes, as the program shows a MAC address.
std::wstring MacText(const unsigned char (&mac)[6]) {
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring text;
    for (unsigned char byte : mac) {
        if (!text.empty()) text += L'-';
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0F];
    }
    return text;
}

}  // namespace

const AboutWording& WordingFor(int language) { return language == kAboutJapanese ? kJapanese : kEnglish; }

std::wstring ProductName(int product) {
    if (product == 6) return L"QT714-NIC";
    return L"Product " + std::to_wstring(product);
}

std::wstring Fill(const wchar_t* pattern, const std::wstring& value) {
    std::wstring text(pattern);
    const size_t at = text.find(L"{}");
    return at == std::wstring::npos ? text : text.replace(at, 2, value);
}

InfoValues FormatSysInfo(const AboutSysInfoRecord& record) {
    const std::wstring pcb = FieldText(record.pcbVersion, sizeof record.pcbVersion);
    InfoValues info;
    info.values[0] = FieldText(record.model, sizeof record.model);
    info.values[1] = record.agent.GetString();
    info.values[2] = FieldText(record.serialNumber, sizeof record.serialNumber);
    info.values[3] = MacText(record.mac);
    info.values[4] = pcb.empty() ? pcb : L"v" + pcb;
    info.values[5] = record.apiVersion.GetString();
    info.values[6] = record.fpgaVersion.GetString();
    info.values[7] = record.firmwareVersion.GetString();
    info.values[8] = DateText(record.productDate, sizeof record.productDate);
    return info;
}

}  // namespace about
