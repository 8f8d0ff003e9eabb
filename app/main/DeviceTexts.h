// How the program writes what the tester reports: model names, version and date words, the MAC
// address, the production date. Plain functions over plain values, free of windows.
#pragma once

#include <framework/Framework.h>

#include <cstddef>
#include <cstdint>

namespace device_texts {

// The model name of a machine id: 1 "Brevix-C", 2 "Brevix-A", 3 "Brevix-H", 4 "Brevix-J", any other
// "Brevix-A".
CString ModelText(int machineId);
// "v%d.%db%03d".
CString VersionText(int32_t major, int32_t minor, int32_t build);
// A date word holds the hexadecimal digits MMDDYYYY: "YYYY/MM/DD".
CString DateWordText(uint32_t word);
// A version followed by two blanks and its date.
CString DatedVersionText(int32_t major, int32_t minor, int32_t build, uint32_t dateWord);
// "%02X-%02X-%02X-%02X-%02X-%02X".
CString MacText(const uint8_t mac[6]);
// The twelve digits YYYYMMDDhhmm as "YYYY/MM/DD hh:mm"; a shorter text gives what it has.
CString ProductDateText(const CString& digits);
// The text of a fixed-size character field that need not end in a terminator.
CString FieldText(const char* field, size_t size);

}  // namespace device_texts
