#include <framework/File.h>

IMPLEMENT_DYNAMIC(CFile, CObject)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

CFile::CFile(LPCWSTR lpszFileName, UINT nOpenFlags) {
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error)) AfxThrowFileException(error.m_cause, error.m_lOsError, lpszFileName);
}

CFile::~CFile() {
    if (m_hFile != INVALID_HANDLE_VALUE) ::CloseHandle(m_hFile);
}

BOOL CFile::Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    DWORD access = 0;
    switch (nOpenFlags & 3) {
        case modeRead: access = GENERIC_READ; break;
        case modeWrite: access = GENERIC_WRITE; break;
        default: access = GENERIC_READ | GENERIC_WRITE; break;
    }
    DWORD share = 0;
    switch (nOpenFlags & 0x70) {
        case shareExclusive: share = 0; break;
        case shareDenyWrite: share = FILE_SHARE_READ; break;
        case shareDenyRead: share = FILE_SHARE_WRITE; break;
        default: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    }
    DWORD disposition = OPEN_EXISTING;
    if (nOpenFlags & modeCreate) disposition = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    SECURITY_ATTRIBUTES security = {sizeof security, nullptr, (nOpenFlags & modeNoInherit) ? FALSE : TRUE};
    HANDLE handle = ::CreateFileW(lpszFileName, access, share, &security, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        if (pError != nullptr) {
            LONG osError = static_cast<LONG>(::GetLastError());
            pError->m_lOsError = osError;
            pError->m_cause = CFileException::OsErrorToException(osError);
            pError->m_strFileName = lpszFileName;
        }
        return FALSE;
    }
    m_hFile = handle;
    m_strFileName = lpszFileName;
    return TRUE;
}

void CFile::Close() {
    HANDLE handle = m_hFile;
    m_hFile = INVALID_HANDLE_VALUE;
    if (handle != INVALID_HANDLE_VALUE && !::CloseHandle(handle)) {
        AfxThrowFileException(CFileException::genericException, static_cast<LONG>(::GetLastError()), m_strFileName);
    }
}

void CFile::Abort() {
    if (m_hFile != INVALID_HANDLE_VALUE) ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

void CFile::ThrowLastError() const {
    LONG osError = static_cast<LONG>(::GetLastError());
    AfxThrowFileException(CFileException::OsErrorToException(osError), osError, m_strFileName);
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
    DWORD read = 0;
    if (nCount > 0 && !::ReadFile(m_hFile, lpBuf, nCount, &read, nullptr)) ThrowLastError();
    return read;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
    DWORD written = 0;
    if (nCount > 0 && !::WriteFile(m_hFile, lpBuf, nCount, &written, nullptr)) ThrowLastError();
    if (written != nCount) AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
    LARGE_INTEGER distance, position;
    distance.QuadPart = lOff;
    if (!::SetFilePointerEx(m_hFile, distance, &position, nFrom)) ThrowLastError();
    return static_cast<ULONGLONG>(position.QuadPart);
}

ULONGLONG CFile::GetPosition() const {
    LARGE_INTEGER zero{}, position;
    if (!::SetFilePointerEx(m_hFile, zero, &position, FILE_CURRENT)) ThrowLastError();
    return static_cast<ULONGLONG>(position.QuadPart);
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(m_hFile, &size)) ThrowLastError();
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::SetLength(ULONGLONG dwNewLen) {
    Seek(static_cast<LONGLONG>(dwNewLen), begin);
    if (!::SetEndOfFile(m_hFile)) ThrowLastError();
}

void CFile::Flush() {
    if (m_hFile != INVALID_HANDLE_VALUE && !::FlushFileBuffers(m_hFile)) ThrowLastError();
}

CString CFile::GetFileName() const {
    int slash = m_strFileName.ReverseFind(L'\\');
    int forward = m_strFileName.ReverseFind(L'/');
    return m_strFileName.Mid((slash > forward ? slash : forward) + 1);
}

void CFile::Remove(LPCWSTR lpszFileName) {
    if (!::DeleteFileW(lpszFileName)) {
        LONG osError = static_cast<LONG>(::GetLastError());
        AfxThrowFileException(CFileException::OsErrorToException(osError), osError, lpszFileName);
    }
}

void CFile::Rename(LPCWSTR lpszOldName, LPCWSTR lpszNewName) {
    if (!::MoveFileW(lpszOldName, lpszNewName)) {
        LONG osError = static_cast<LONG>(::GetLastError());
        AfxThrowFileException(CFileException::OsErrorToException(osError), osError, lpszOldName);
    }
}
