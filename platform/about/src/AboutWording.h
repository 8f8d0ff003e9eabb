// The About box's texts in its two languages, and how it shows the record's fields.
#pragma once

#include "about/AboutSysInfo.h"

#include <string>

namespace about {

constexpr int kInfoRows = 9;

struct AboutWording {
    const wchar_t* caption;  // {} stands for the product
    const wchar_t* versionPrefix;
    const wchar_t* copyright;  // {} stands for the year
    const wchar_t* groupTitle;
    const wchar_t* labels[kInfoRows];
    const wchar_t* ok;
};

// The wording of the language code: 2 Japanese, any other English.
const AboutWording& WordingFor(int language);

// The pattern with its {} replaced by the value.
std::wstring Fill(const wchar_t* pattern, const std::wstring& value);

// The product's name by its code.
std::wstring ProductName(int product);

// The record's fields as the box shows them, in the order of the labels.
struct InfoValues {
    std::wstring values[kInfoRows];
};
InfoValues FormatSysInfo(const AboutSysInfoRecord& record);

}  // namespace about
