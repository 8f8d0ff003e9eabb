// CFile: a file handle with the familiar open modes. Open reports failure by its result (and the
// optional exception record); Read, Write and Seek throw CFileException* on failure.
#pragma once

#include <framework/Exception.h>
#include <framework/String.h>

class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition { begin = FILE_BEGIN, current = FILE_CURRENT, end = FILE_END };
    static const HANDLE hFileNull;

    CFile() = default;
    explicit CFile(HANDLE hFile) : m_hFile(hFile) {}
    CFile(LPCWSTR lpszFileName, UINT nOpenFlags);
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    HANDLE m_hFile = INVALID_HANDLE_VALUE;

    virtual BOOL Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual void Close();
    void Abort();
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual void Flush();
    CString GetFilePath() const { return m_strFileName; }
    CString GetFileName() const;
    operator HANDLE() const { return m_hFile; }

    static void Remove(LPCWSTR lpszFileName);
    static void Rename(LPCWSTR lpszOldName, LPCWSTR lpszNewName);

private:
    [[noreturn]] void ThrowLastError() const;
    CString m_strFileName;
};
