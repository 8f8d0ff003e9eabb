#include "AboutBox.h"

#include <vector>

// This module's base address: its instance handle.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace about {
namespace {

// Control ids.
constexpr int kProductId = 1000;
constexpr int kVersionId = 1001;
constexpr int kCopyrightId = 1002;
constexpr int kGroupId = 1003;
constexpr int kFirstLabelId = 1100;
constexpr int kFirstValueId = 1200;

constexpr WORD kButtonClass = 0x0080;
constexpr WORD kStaticClass = 0x0082;

// A dialog template in memory: the header, then one item per control, each DWORD-aligned.
class DialogTemplate {
public:
    DialogTemplate(const std::wstring& caption, const std::wstring& face, WORD points, short cx, short cy) {
        Dword(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU);
        Dword(0);
        countAt_ = words_.size();
        Word(0);
        Short(0);
        Short(0);
        Short(cx);
        Short(cy);
        Word(0);  // no menu
        Word(0);  // the dialog class
        Text(caption);
        Word(points);
        Text(face);
    }

    void Item(WORD windowClass, DWORD style, short x, short y, short cx, short cy, int id, const std::wstring& text) {
        if (words_.size() % 2) Word(0);
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Short(x);
        Short(y);
        Short(cx);
        Short(cy);
        Word(static_cast<WORD>(id));
        Word(0xFFFF);
        Word(windowClass);
        Text(text);
        Word(0);  // no creation data
        ++words_[countAt_];
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Word(WORD w) { words_.push_back(w); }
    void Short(short s) { words_.push_back(static_cast<WORD>(s)); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(const std::wstring& text) {
        words_.insert(words_.end(), text.begin(), text.end());
        Word(0);
    }

    std::vector<WORD> words_;
    size_t countAt_ = 0;
};

struct Face {
    std::wstring name;
    bool proportional;
};

int CALLBACK CollectFace(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD, LPARAM found) {
    if (font->lfFaceName[0] != L'@') {  // '@' faces are the vertical-writing twins
        // In the metrics this bit set means a variable pitch.
        const bool proportional = (metrics->tmPitchAndFamily & TMPF_FIXED_PITCH) != 0;
        reinterpret_cast<std::vector<Face>*>(found)->push_back({font->lfFaceName, proportional});
    }
    return 1;
}

// A face with Japanese glyphs: a dialog face for Japanese when present, else the first proportional
// one that offers the Japanese character set, else any that does; the shell's dialog face when none does.
std::wstring JapaneseFace() {
    std::vector<Face> faces;
    LOGFONTW wanted = {};
    wanted.lfCharSet = SHIFTJIS_CHARSET;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, CollectFace, reinterpret_cast<LPARAM>(&faces), 0);
    ReleaseDC(nullptr, screen);
    for (const wchar_t* preferred : {L"MS UI Gothic", L"Meiryo UI", L"Yu Gothic UI"}) {
        for (const Face& face : faces) {
            if (face.name == preferred) return face.name;
        }
    }
    for (const Face& face : faces) {
        if (face.proportional) return face.name;
    }
    return faces.empty() ? L"MS Shell Dlg" : faces.front().name;
}

// What the dialog procedure keeps while the box is open.
struct BoxState {
    HFONT boldFont = nullptr;
};

void CentreOnOwner(HWND box) {
    RECT area;
    HWND owner = GetWindow(box, GW_OWNER);
    if (!owner || !GetWindowRect(owner, &area)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT own;
    GetWindowRect(box, &own);
    const int width = own.right - own.left, height = own.bottom - own.top;
    SetWindowPos(box, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OnInitDialog(HWND box, BoxState* state) {
    SetWindowLongPtrW(box, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    LOGFONTW font = {};
    if (GetObjectW(reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)), sizeof font, &font)) {
        font.lfWeight = FW_BOLD;
        state->boldFont = CreateFontIndirectW(&font);
        SendDlgItemMessageW(box, kProductId, WM_SETFONT, reinterpret_cast<WPARAM>(state->boldFont), FALSE);
    }
    CentreOnOwner(box);
}

INT_PTR CALLBACK AboutBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(box, reinterpret_cast<BoxState*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(box, IDOK);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        if (auto* state = reinterpret_cast<BoxState*>(GetWindowLongPtrW(box, DWLP_USER))) {
            if (state->boldFont) DeleteObject(state->boldFont);
            state->boldFont = nullptr;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

int ShowAboutBox(const AboutContent& content) {
    const AboutWording& wording = WordingFor(content.language);
    const std::wstring caption = Fill(wording.caption, content.product);
    const std::wstring copyright = Fill(wording.copyright, std::to_wstring(content.year));
    const std::wstring face = content.language == kAboutJapanese ? JapaneseFace() : L"MS Shell Dlg";

    constexpr short kWidth = 250, kRowHeight = 12, kRowsTop = 60;
    constexpr short kGroupBottom = kRowsTop + kInfoRows * kRowHeight + 4;
    DialogTemplate dialog(caption, face, 9, kWidth, kGroupBottom + 28);
    const DWORD text = SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS;
    dialog.Item(kStaticClass, text, 12, 8, 226, 10, kProductId, content.product);
    dialog.Item(kStaticClass, text, 12, 20, 226, 10, kVersionId, wording.versionPrefix + content.version);
    dialog.Item(kStaticClass, text, 12, 31, 226, 10, kCopyrightId, copyright);
    dialog.Item(kButtonClass, BS_GROUPBOX, 7, 46, kWidth - 14, kGroupBottom - 46, kGroupId, wording.groupTitle);
    for (int i = 0; i < kInfoRows; ++i) {
        const short y = static_cast<short>(kRowsTop + i * kRowHeight);
        dialog.Item(kStaticClass, text, 14, y, 90, 10, kFirstLabelId + i, wording.labels[i]);
        dialog.Item(kStaticClass, text, 108, y, kWidth - 122, 10, kFirstValueId + i, content.info.values[i]);
    }
    dialog.Item(kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP, kWidth - 57, kGroupBottom + 8, 50, 14, IDOK, wording.ok);

    BoxState state;
    const INT_PTR result = DialogBoxIndirectParamW(reinterpret_cast<HINSTANCE>(&__ImageBase), dialog.Get(),
                                                   GetActiveWindow(), AboutBoxProc,
                                                   reinterpret_cast<LPARAM>(&state));
    return result == IDOK ? IDOK : 0;
}

}  // namespace about
