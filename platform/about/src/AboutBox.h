// The About box window: a dialog built in memory from the product, version, year, the record's
// fields and the wording of a language.
#pragma once

#include "AboutWording.h"

#include <string>

namespace about {

struct AboutContent {
    std::wstring product;
    std::wstring version;
    int year = 0;
    InfoValues info;
    int language = kAboutEnglish;
};

// Runs the box modally, owned by the calling thread's active window; IDOK once closed, 0 when it
// could not be created.
int ShowAboutBox(const AboutContent& content);

}  // namespace about
