#include <framework/Exception.h>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CResourceException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)

namespace {
BOOL CopyMessage(LPCWSTR text, LPWSTR buffer, UINT size) {
    if (buffer == nullptr || size == 0) return FALSE;
    lstrcpynW(buffer, text, static_cast<int>(size));
    return TRUE;
}
}  // namespace

BOOL CException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError) const {
    return CopyMessage(L"An unknown error has occurred.", lpszError, nMaxError);
}
BOOL CMemoryException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError) const {
    return CopyMessage(L"Out of memory.", lpszError, nMaxError);
}
BOOL CResourceException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError) const {
    return CopyMessage(L"A required resource was unavailable.", lpszError, nMaxError);
}

int CFileException::OsErrorToException(LONG lOsError) {
    switch (lOsError) {
        case ERROR_SUCCESS: return none;
        case ERROR_FILE_NOT_FOUND: return fileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME: return badPath;
        case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
        case ERROR_ACCESS_DENIED: return accessDenied;
        case ERROR_INVALID_HANDLE: return invalidFile;
        case ERROR_SHARING_VIOLATION: return sharingViolation;
        case ERROR_LOCK_VIOLATION: return lockViolation;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return diskFull;
        case ERROR_NEGATIVE_SEEK:
        case ERROR_SEEK: return badSeek;
        case ERROR_HANDLE_EOF: return endOfFile;
        default: return genericException;
    }
}

BOOL CFileException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError) const {
    CString text;
    text.Format(L"File error %d (system error %ld): %s", m_cause, static_cast<long>(m_lOsError),
                m_strFileName.GetString());
    return CopyMessage(text, lpszError, nMaxError);
}

void AfxThrowMemoryException() { throw new CMemoryException; }
void AfxThrowResourceException() { throw new CResourceException; }
void AfxThrowFileException(int cause, LONG lOsError, LPCWSTR lpszFileName) {
    throw new CFileException(cause, lOsError, lpszFileName);
}
