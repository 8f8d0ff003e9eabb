#include "main/DeviceTexts.h"

namespace device_texts {

CString ModelText(int machineId) {
    switch (machineId) {
    case 1:
        return L"Brevix-C";
    case 3:
        return L"Brevix-H";
    case 4:
        return L"Brevix-J";
    default:
        return L"Brevix-A";
    }
}

CString VersionText(int32_t major, int32_t minor, int32_t build) {
    CString text;
    text.Format(L"v%d.%db%03d", major, minor, build);
    return text;
}

CString DateWordText(uint32_t word) {
    CString digits;
    digits.Format(L"%08x", word);
    return digits.Mid(4, 4) + L"/" + digits.Mid(0, 2) + L"/" + digits.Mid(2, 2);
}

CString DatedVersionText(int32_t major, int32_t minor, int32_t build, uint32_t dateWord) {
    return VersionText(major, minor, build) + L"  " + DateWordText(dateWord);
}

CString MacText(const uint8_t mac[6]) {
    CString text;
    text.Format(L"%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return text;
}

CString ProductDateText(const CString& digits) {
    return digits.Mid(0, 4) + L"/" + digits.Mid(4, 2) + L"/" + digits.Mid(6, 2) + L" " + digits.Mid(8, 2) + L":" +
           digits.Mid(10, 2);
}

CString FieldText(const char* field, size_t size) {
    size_t length = 0;
    while (length < size && field[length] != '\0') ++length;
    CString text;
    for (size_t i = 0; i < length; ++i) text += static_cast<wchar_t>(static_cast<unsigned char>(field[i]));
    return text;
}

}  // namespace device_texts
