// Help, About: the tester's identity handed to the About-box library (Felvane.dll) and its box
// opened in the program's language.
#pragma once

#include <framework/Framework.h>

#include "about/AboutSysInfo.h"

namespace info {

// The program's version, as the About box and the About panel show it.
constexpr const wchar_t* kProgramVersion = L"v1.1b012";
// What the About box is told besides the version: the product code and the copyright year.
constexpr int kAboutProduct = 6;
constexpr int kAboutYear = 2018;

// The version texts the main dialog keeps for the About box.
struct AboutVersions {
    CString fpga;
    CString firmware;
    CString api;
};

// The identity record: the agent "Quendal Agent", the device API's identity data copied byte for
// byte within each field's size (model, S/N, MAC, PCB version, manufacture date), and the versions.
AboutSysInfoRecord BuildAboutRecord(const AboutVersions& versions);

// Hands the record to the library, then opens its box in English for language index 0 and in
// Japanese for 3. Any other index opens no box; returns whether a box was opened.
bool OpenAboutBox(int languageIndex, const AboutVersions& versions);

}  // namespace info
