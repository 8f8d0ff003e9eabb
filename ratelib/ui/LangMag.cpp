#include "ui/LangMag.h"

#include <windows.h>

#include <vector>

CString CLangMag::GetText(LPCWSTR key) const {
    CString section;
    section.Format(L"Language%d", m_language);
    wchar_t text[1024] = {};
    ::GetPrivateProfileStringW(section.GetString(), key, L"", text, 1024, m_filePath.GetString());
    CString result(text);
    result.Replace(L"\\n", L"\n");
    return result;
}

CString HostProgramFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return CString();
        if (length < path.size()) break;
        path.resize(path.size() * 2);
    }
    CString folder(path.data());
    return folder.Left(folder.ReverseFind(L'\\') + 1);
}

CString HostLanguageFile() { return HostProgramFolder() + L"Sorvane.lng"; }
