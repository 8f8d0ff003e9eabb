// The library's two exports.
#include "AboutBox.h"
#include "SysInfoStore.h"

extern "C" void WINAPI SetAboutDialogSysInfo(AboutSysInfoRecord record) { about::StoreSysInfo(record); }

extern "C" int WINAPI CreateAboutDialog(int product, AboutText version, int year, int /*reserved*/, int language) {
    about::AboutContent content;
    content.product = about::ProductName(product);
    content.version = version.GetString();
    content.year = year;
    content.info = about::FormatSysInfo(about::StoredSysInfo());
    content.language = language;
    return about::ShowAboutBox(content);
}
