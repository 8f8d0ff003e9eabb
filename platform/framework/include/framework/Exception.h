// The framework's exceptions. They stay inside the module that throws them: nothing the framework
// throws may cross a DLL boundary, so exports catch them.
#pragma once

#include <framework/Object.h>
#include <framework/String.h>

class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    // Caught by pointer, as the program's handlers are written; Delete frees a thrown one.
    void Delete() { delete this; }
    virtual BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError) const;
};

class CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
public:
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError) const override;
};

class CResourceException : public CException {
    DECLARE_DYNAMIC(CResourceException)
public:
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError) const override;
};

class CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    enum { none, genericException, fileNotFound, badPath, tooManyOpenFiles, accessDenied, invalidFile,
           removeCurrentDir, directoryFull, badSeek, hardIO, sharingViolation, lockViolation, diskFull, endOfFile };
    CFileException(int cause = none, LONG lOsError = -1, LPCWSTR lpszFileName = nullptr)
        : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName) {}
    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
    // The cause that best describes a Win32 error code.
    static int OsErrorToException(LONG lOsError);
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError) const override;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowResourceException();
[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1, LPCWSTR lpszFileName = nullptr);
