#include <framework/App.h>
#include <framework/DataExchange.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cwchar>

namespace {

CString ControlText(HWND control) {
    CString text;
    CWnd::FromHandle(control)->GetWindowText(text);
    return text;
}

// Whole text must be a number; surrounding blanks are allowed.
bool ParseSigned(const CString& text, long long minValue, long long maxValue, long long& out) {
    CString trimmed(text);
    trimmed.Trim();
    if (trimmed.IsEmpty()) return false;
    wchar_t* end = nullptr;
    errno = 0;
    long long value = std::wcstoll(trimmed, &end, 10);
    if (errno != 0 || *end != L'\0' || value < minValue || value > maxValue) return false;
    out = value;
    return true;
}

bool ParseUnsigned(const CString& text, unsigned long long maxValue, unsigned long long& out) {
    CString trimmed(text);
    trimmed.Trim();
    if (trimmed.IsEmpty() || trimmed[0] == L'-') return false;
    wchar_t* end = nullptr;
    errno = 0;
    unsigned long long value = std::wcstoull(trimmed, &end, 10);
    if (errno != 0 || *end != L'\0' || value > maxValue) return false;
    out = value;
    return true;
}

bool ParseReal(const CString& text, double& out) {
    CString trimmed(text);
    trimmed.Trim();
    if (trimmed.IsEmpty()) return false;
    wchar_t* end = nullptr;
    errno = 0;
    double value = std::wcstod(trimmed, &end);
    if (errno != 0 || *end != L'\0' || !std::isfinite(value)) return false;
    out = value;
    return true;
}

template <class T>
void ExchangeSigned(CDataExchange* pDX, int nIDC, T& value, long long minValue, long long maxValue) {
    HWND control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        long long parsed = 0;
        if (!ParseSigned(ControlText(control), minValue, maxValue, parsed)) {
            AfxMessageBox(L"Please enter an integer.", MB_ICONEXCLAMATION);
            pDX->Fail();
        }
        value = static_cast<T>(parsed);
    } else {
        CString text;
        text.Format(L"%lld", static_cast<long long>(value));
        ::SetWindowTextW(control, text);
    }
}

template <class T>
void ExchangeUnsigned(CDataExchange* pDX, int nIDC, T& value, unsigned long long maxValue) {
    HWND control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        unsigned long long parsed = 0;
        if (!ParseUnsigned(ControlText(control), maxValue, parsed)) {
            AfxMessageBox(L"Please enter a positive integer.", MB_ICONEXCLAMATION);
            pDX->Fail();
        }
        value = static_cast<T>(parsed);
    } else {
        CString text;
        text.Format(L"%llu", static_cast<unsigned long long>(value));
        ::SetWindowTextW(control, text);
    }
}

template <class T>
void ExchangeReal(CDataExchange* pDX, int nIDC, T& value, int digits) {
    HWND control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        double parsed = 0;
        if (!ParseReal(ControlText(control), parsed)) {
            AfxMessageBox(L"Please enter a number.", MB_ICONEXCLAMATION);
            pDX->Fail();
        }
        value = static_cast<T>(parsed);
    } else {
        CString text;
        text.Format(L"%.*g", digits, static_cast<double>(value));
        ::SetWindowTextW(control, text);
    }
}

}  // namespace

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd != nullptr) return;
    HWND control = pDX->PrepareCtrl(nIDC);
    if (control == nullptr || !rControl.SubclassWindow(control)) pDX->Fail();
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = ControlText(control);
    } else {
        ::SetWindowTextW(control, value);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) { ExchangeSigned(pDX, nIDC, value, INT_MIN, INT_MAX); }
void DDX_Text(CDataExchange* pDX, int nIDC, long& value) { ExchangeSigned(pDX, nIDC, value, LONG_MIN, LONG_MAX); }
void DDX_Text(CDataExchange* pDX, int nIDC, short& value) { ExchangeSigned(pDX, nIDC, value, SHRT_MIN, SHRT_MAX); }
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) { ExchangeUnsigned(pDX, nIDC, value, UINT_MAX); }
void DDX_Text(CDataExchange* pDX, int nIDC, DWORD& value) { ExchangeUnsigned(pDX, nIDC, value, ULONG_MAX); }
void DDX_Text(CDataExchange* pDX, int nIDC, BYTE& value) { ExchangeUnsigned(pDX, nIDC, value, UCHAR_MAX); }
void DDX_Text(CDataExchange* pDX, int nIDC, double& value) { ExchangeReal(pDX, nIDC, value, 15); }
void DDX_Text(CDataExchange* pDX, int nIDC, float& value) { ExchangeReal(pDX, nIDC, value, 6); }

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    HWND control = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageW(control, BM_GETCHECK, 0, 0));
    } else {
        ::SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    HWND first = pDX->PrepareCtrl(nIDC);
    if (first == nullptr) return;
    if (pDX->m_bSaveAndValidate) value = -1;
    // The group runs from the first button to the next control with WS_GROUP, radio buttons only.
    int index = 0;
    HWND dialog = ::GetParent(first);
    HWND button = first;
    do {
        if ((::SendMessageW(button, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0) {
            if (pDX->m_bSaveAndValidate) {
                if (::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
            } else {
                ::SendMessageW(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
            }
            ++index;
        }
        button = ::GetWindow(button, GW_HWNDNEXT);
    } while (button != nullptr && ::GetParent(button) == dialog &&
             (::GetWindowLongPtrW(button, GWL_STYLE) & WS_GROUP) == 0);
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
    HWND control = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        index = static_cast<int>(::SendMessageW(control, CB_GETCURSEL, 0, 0));
    } else {
        ::SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value) {
    HWND control = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = ControlText(control);
    } else if (::SendMessageW(control, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(value.GetString())) == CB_ERR) {
        ::SetWindowTextW(control, value);
    }
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index) {
    HWND control = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        index = static_cast<int>(::SendMessageW(control, LB_GETCURSEL, 0, 0));
    } else {
        ::SendMessageW(control, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
    if (!pDX->m_bSaveAndValidate) return;
    if (value.GetLength() > nChars) {
        CString message;
        message.Format(L"Enter no more than %d characters.", nChars);
        AfxMessageBox(message, MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
    CString message;
    message.Format(L"Enter an integer between %d and %d.", minVal, maxVal);
    AfxMessageBox(message, MB_ICONEXCLAMATION);
    pDX->Fail();
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal) {
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
    CString message;
    message.Format(L"Enter an integer between %u and %u.", minVal, maxVal);
    AfxMessageBox(message, MB_ICONEXCLAMATION);
    pDX->Fail();
}

void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal) {
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
    CString message;
    message.Format(L"Enter a number between %g and %g.", minVal, maxVal);
    AfxMessageBox(message, MB_ICONEXCLAMATION);
    pDX->Fail();
}
