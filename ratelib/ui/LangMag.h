// The texts of Sorvane's dialog, read from its language file: an INI-style file whose sections
// "Language0", "Language1", ... map keys to texts, with the two characters \n for a line break.
#pragma once

#include <framework/Object.h>
#include <framework/String.h>

class CLangMag : public CObject {
public:
    void SetLanguage(int language) { m_language = language; }
    // Only stored: the file is read anew at every lookup.
    void SetFile(const CString& path) { m_filePath = path; }

    // The key's text in the language's section, at most 1023 characters; empty when the file,
    // the section or the key is missing.
    CString GetText(LPCWSTR key) const;

private:
    int m_language = 0;
    CString m_filePath;
};

// The language file of the host program: "Sorvane.lng" in the folder of the process's executable.
CString HostProgramFolder();
CString HostLanguageFile();
