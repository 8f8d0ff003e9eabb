#include <framework/App.h>
#include <framework/CommonDialogs.h>
#include <framework/Seams.h>

#include <mutex>

#include "WndCreation.h"

namespace {

// Set by tests around the code under test; read by whichever thread opens a file dialog.
std::mutex g_standInLock;
framework::FileDialogStandIn g_fileDialogStandIn;

}  // namespace

namespace framework {
void SetFileDialogStandIn(FileDialogStandIn standIn) {
    std::lock_guard<std::mutex> lock(g_standInLock);
    g_fileDialogStandIn = std::move(standIn);
}
}  // namespace framework

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)
IMPLEMENT_DYNAMIC(CFindReplaceDialog, CDialog)

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCWSTR lpszDefExt, LPCWSTR lpszFileName, DWORD dwFlags,
                         LPCWSTR lpszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog) {
    m_pParentWnd = pParentWnd;
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.lpstrFile = m_fileBuffer;
    m_ofn.nMaxFile = static_cast<DWORD>(std::size(m_fileBuffer));
    m_ofn.lpstrFileTitle = m_titleBuffer;
    m_ofn.nMaxFileTitle = static_cast<DWORD>(std::size(m_titleBuffer));
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
    if (lpszFileName != nullptr) lstrcpynW(m_fileBuffer, lpszFileName, static_cast<int>(std::size(m_fileBuffer)));
    if (lpszDefExt != nullptr) {
        m_defaultExtension = lpszDefExt;
        m_ofn.lpstrDefExt = m_defaultExtension;
    }
    if (lpszFilter != nullptr) {
        // The system wants the pairs separated by nulls and ended by two.
        m_filter = lpszFilter;
        if (m_filter.Right(1) != L"|") m_filter += L'|';
        m_filter.Replace(L'|', L'\0');
        m_ofn.lpstrFilter = m_filter;
    }
}

INT_PTR CFileDialog::DoModal() {
    framework::FileDialogStandIn standIn;
    {
        std::lock_guard<std::mutex> lock(g_standInLock);
        standIn = g_fileDialogStandIn;
    }
    if (standIn) return standIn(*this);
    CWnd* owner = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    m_ofn.hwndOwner = owner->GetSafeHwnd();
    BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetFileName() const {
    CString path = GetPathName();
    int slash = path.ReverseFind(L'\\');
    int forward = path.ReverseFind(L'/');
    return path.Mid((slash > forward ? slash : forward) + 1);
}

CString CFileDialog::GetFileExt() const {
    CString name = GetFileName();
    int dot = name.ReverseFind(L'.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const {
    CString name = GetFileName();
    int dot = name.ReverseFind(L'.');
    return dot < 0 ? name : name.Left(dot);
}

CString CFileDialog::GetFolderPath() const {
    CString path = GetPathName();
    int slash = path.ReverseFind(L'\\');
    int forward = path.ReverseFind(L'/');
    int at = slash > forward ? slash : forward;
    return at < 0 ? CString() : path.Left(at);
}

CFindReplaceDialog::CFindReplaceDialog() {
    m_fr.lStructSize = sizeof m_fr;
    m_fr.lpstrFindWhat = m_findWhat;
    m_fr.wFindWhatLen = static_cast<WORD>(std::size(m_findWhat));
    m_fr.lpstrReplaceWith = m_replaceWith;
    m_fr.wReplaceWithLen = static_cast<WORD>(std::size(m_replaceWith));
    m_fr.lCustData = reinterpret_cast<LPARAM>(this);
}

BOOL CFindReplaceDialog::Create(BOOL bFindDialogOnly, LPCWSTR lpszFindWhat, LPCWSTR lpszReplaceWith, DWORD dwFlags,
                                CWnd* pParentWnd) {
    CWnd* owner = pParentWnd ? pParentWnd : AfxGetMainWnd();
    m_fr.hwndOwner = owner->GetSafeHwnd();
    m_fr.Flags = dwFlags;
    if (lpszFindWhat != nullptr) lstrcpynW(m_findWhat, lpszFindWhat, static_cast<int>(std::size(m_findWhat)));
    if (lpszReplaceWith != nullptr) {
        lstrcpynW(m_replaceWith, lpszReplaceWith, static_cast<int>(std::size(m_replaceWith)));
    }
    framework::CreationScope creation(this);
    HWND hWnd = bFindDialogOnly ? ::FindTextW(&m_fr) : ::ReplaceTextW(&m_fr);
    return hWnd != nullptr && hWnd == m_hWnd;
}

CFindReplaceDialog* CFindReplaceDialog::GetNotifier(LPARAM lParam) {
    auto* record = reinterpret_cast<FINDREPLACEW*>(lParam);
    return record ? reinterpret_cast<CFindReplaceDialog*>(record->lCustData) : nullptr;
}

void CFindReplaceDialog::PostNcDestroy() { delete this; }
