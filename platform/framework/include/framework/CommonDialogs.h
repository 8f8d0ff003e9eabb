// The common dialogs: file open and save (CFileDialog) and the modeless find and replace box
// (CFindReplaceDialog).
#pragma once

#include <commdlg.h>

#include <framework/Dialog.h>

class CFileDialog : public CDialog {
    DECLARE_DYNAMIC(CFileDialog)
public:
    // lpszFilter pairs descriptions and patterns separated by '|' ("Logs (*.log)|*.log|All|*.*||").
    explicit CFileDialog(BOOL bOpenFileDialog, LPCWSTR lpszDefExt = nullptr, LPCWSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCWSTR lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr);

    OPENFILENAMEW m_ofn = {};

    // IDOK with the chosen path in m_ofn, or IDCANCEL. A test stand-in (framework/Seams.h) answers
    // in place of the system dialog.
    INT_PTR DoModal() override;
    BOOL IsOpenDialog() const { return m_bOpenFileDialog; }

    CString GetPathName() const { return m_ofn.lpstrFile; }
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFileTitle() const;
    CString GetFolderPath() const;

private:
    BOOL m_bOpenFileDialog;
    CString m_filter;
    CString m_defaultExtension;
    wchar_t m_fileBuffer[4096] = {};
    wchar_t m_titleBuffer[MAX_PATH] = {};
};

class CFindReplaceDialog : public CDialog {
    DECLARE_DYNAMIC(CFindReplaceDialog)
public:
    CFindReplaceDialog();

    FINDREPLACEW m_fr = {};

    // Modeless: the box sends the registered message FINDMSGSTRING to pParentWnd; the object deletes
    // itself when the box closes, so create it with new.
    BOOL Create(BOOL bFindDialogOnly, LPCWSTR lpszFindWhat, LPCWSTR lpszReplaceWith = nullptr,
                DWORD dwFlags = FR_DOWN, CWnd* pParentWnd = nullptr);
    // The dialog behind a FINDMSGSTRING message's lParam.
    static CFindReplaceDialog* GetNotifier(LPARAM lParam);

    CString GetFindString() const { return m_fr.lpstrFindWhat; }
    CString GetReplaceString() const { return m_fr.lpstrReplaceWith; }
    BOOL SearchDown() const { return (m_fr.Flags & FR_DOWN) != 0; }
    BOOL FindNext() const { return (m_fr.Flags & FR_FINDNEXT) != 0; }
    BOOL MatchCase() const { return (m_fr.Flags & FR_MATCHCASE) != 0; }
    BOOL MatchWholeWord() const { return (m_fr.Flags & FR_WHOLEWORD) != 0; }
    BOOL ReplaceCurrent() const { return (m_fr.Flags & FR_REPLACE) != 0; }
    BOOL ReplaceAll() const { return (m_fr.Flags & FR_REPLACEALL) != 0; }
    BOOL IsTerminating() const { return (m_fr.Flags & FR_DIALOGTERM) != 0; }

protected:
    // The box's own procedure answers its buttons.
    void OnOK() override { Default(); }
    void OnCancel() override { Default(); }
    void PostNcDestroy() override;

private:
    wchar_t m_findWhat[128] = {};
    wchar_t m_replaceWith[128] = {};
};
