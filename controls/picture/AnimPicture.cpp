#include "picture/AnimPicture.h"

#include <cstring>

namespace {

// IPicture from bytes: a stream over a global block (owned by the stream when `owned`).
IPicture* LoadPicture(HGLOBAL block, bool owned) {
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block, owned ? TRUE : FALSE, &stream))) {
        if (owned) ::GlobalFree(block);
        return nullptr;
    }
    IPicture* picture = nullptr;
    if (FAILED(::OleLoadPicture(stream, 0, FALSE, IID_IPicture, reinterpret_cast<void**>(&picture)))) picture = nullptr;
    stream->Release();
    return picture;
}

IPicture* LoadPictureFromBytes(const std::vector<uint8_t>& bytes) {
    HGLOBAL block = ::GlobalAlloc(GMEM_FIXED, bytes.size());
    if (block == nullptr) return nullptr;
    std::memcpy(static_cast<void*>(block), bytes.data(), bytes.size());
    return LoadPicture(block, true);
}

// Waits a thread may take to see its stop signal: a frame's render and one wait on the event.
constexpr DWORD kStopPatience = 5000;

// The thread's name, for process listings and profilers (SetThreadDescription exists from Windows
// 10 on: looked up at run time).
void NameThisThread(const wchar_t* name) {
    using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    static const auto set = reinterpret_cast<SetDescription>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    if (set != nullptr) set(::GetCurrentThread(), name);
}

}  // namespace

BEGIN_MESSAGE_MAP(CAnimPicture, CStatic)
    ON_WM_PAINT()
    ON_WM_DESTROY()
    ON_WM_WINDOWPOSCHANGED()
END_MESSAGE_MAP()

CAnimPicture::CAnimPicture() {
    m_stopEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_shownEvent = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

CAnimPicture::~CAnimPicture() {
    UnLoad();
    ::CloseHandle(m_stopEvent);
    ::CloseHandle(m_shownEvent);
}

BOOL CAnimPicture::Load(LPCWSTR lpszResourceName, LPCWSTR lpszResourceType) {
    HINSTANCE module = AfxFindResourceHandle(lpszResourceName, lpszResourceType);
    HRSRC resource = ::FindResourceW(module, lpszResourceName, lpszResourceType);
    if (resource == nullptr) return FALSE;
    const DWORD size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0) return FALSE;
    HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (copy == nullptr) return FALSE;
    void* target = ::GlobalLock(copy);
    if (target == nullptr) {
        ::GlobalFree(copy);
        return FALSE;
    }
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(copy);
    BOOL loadedOk = Load(copy, size);
    ::GlobalFree(copy);
    return loadedOk;
}

BOOL CAnimPicture::Load(HGLOBAL hGlobal, DWORD dwSize) {
    UnLoad();
    if (hGlobal == nullptr) return FALSE;
    const auto* data = static_cast<const uint8_t*>(::GlobalLock(hGlobal));
    if (data == nullptr) return FALSE;
    // A block smaller than it is said to be is read only as far as it goes.
    const size_t size = dwSize < ::GlobalSize(hGlobal) ? dwSize : ::GlobalSize(hGlobal);
    m_dataSize = static_cast<int>(size);
    GifLayout layout;
    if (!ReadGifLayout(data, size, &layout)) {
        ::GlobalUnlock(hGlobal);
        m_picture = LoadPicture(hGlobal, false);
        if (m_picture == nullptr) return FALSE;
        OLE_XSIZE_HIMETRIC width = 0;
        OLE_YSIZE_HIMETRIC height = 0;
        m_picture->get_Width(&width);
        m_picture->get_Height(&height);
        CClientDC dc(this);
        m_pictureWidth = ::MulDiv(width, ::GetDeviceCaps(dc.GetSafeHdc(), LOGPIXELSX), 2540);
        m_pictureHeight = ::MulDiv(height, ::GetDeviceCaps(dc.GetSafeHdc(), LOGPIXELSY), 2540);
        return PrepareOffscreen();
    }
    m_isGif = true;
    m_colorTableSize = static_cast<int>(layout.colorTableSize);
    m_pictureWidth = layout.screenWidth;
    m_pictureHeight = layout.screenHeight;
    const int count = CountGifFrames(data, size, layout);
    if (count == 1) {
        std::vector<uint8_t> whole(data, data + size);
        ::GlobalUnlock(hGlobal);
        m_picture = LoadPictureFromBytes(whole);
        return m_picture != nullptr && PrepareOffscreen();
    }
    std::vector<GifFrameBlock> blocks = count > 1 ? ExtractGifFrames(data, size, layout) : std::vector<GifFrameBlock>();
    ::GlobalUnlock(hGlobal);
    for (const GifFrameBlock& block : blocks) {
        IPicture* picture = LoadPictureFromBytes(block.file);
        if (picture == nullptr) continue;  // a frame the picture loader refuses is left out
        m_frames.push_back(GifFrame{picture, block.width, block.height, block.left, block.top, block.delay, block.disposal});
    }
    return !m_frames.empty() && PrepareOffscreen();
}

bool CAnimPicture::PrepareOffscreen() {
    if (GetSafeHwnd() == nullptr || m_pictureWidth <= 0 || m_pictureHeight <= 0) return false;
    SetWindowPos(nullptr, 0, 0, m_pictureWidth, m_pictureHeight, SWP_NOMOVE | SWP_NOZORDER);
    CClientDC dc(this);
    std::lock_guard<std::mutex> lock(m_drawLock);
    m_offscreenDC = ::CreateCompatibleDC(dc.GetSafeHdc());
    m_offscreenBitmap = ::CreateCompatibleBitmap(dc.GetSafeHdc(), m_pictureWidth, m_pictureHeight);
    if (m_offscreenDC == nullptr || m_offscreenBitmap == nullptr) return false;
    m_offscreenPrevious = ::SelectObject(m_offscreenDC, m_offscreenBitmap);
    m_backColor = ::GetSysColor(COLOR_BTNFACE);
    RECT all = {0, 0, m_pictureWidth, m_pictureHeight};
    ::FillRect(m_offscreenDC, &all, reinterpret_cast<HBRUSH>(COLOR_MENU + 1));
    m_prepared = true;
    return true;
}

BOOL CAnimPicture::Draw() {
    if (!m_prepared) return FALSE;
    if (m_isGif && m_frames.size() > 1) {
        // A second start ends the first animation before the next one begins on the same frames.
        Stop();
        if (m_thread != nullptr) return FALSE;  // the earlier thread did not end: never two at once
        m_thread = ::CreateThread(nullptr, 0, AnimationThread, this, CREATE_SUSPENDED, nullptr);
        if (m_thread == nullptr) return FALSE;
        ::ResumeThread(m_thread);
        return FALSE;
    }
    IPicture* single = m_picture != nullptr ? m_picture : m_frames.empty() ? nullptr : m_frames.front().picture;
    if (single == nullptr) return FALSE;
    RenderPicture(single, 0, 0, m_pictureWidth, m_pictureHeight);
    Invalidate(FALSE);
    return TRUE;
}

void CAnimPicture::StopAndWait(DWORD milliseconds) {
    m_threadRunning = false;
    m_exitRequested = true;
    ::SetEvent(m_stopEvent);
    if (m_thread != nullptr && ::WaitForSingleObject(m_thread, milliseconds) == WAIT_OBJECT_0) {
        ::CloseHandle(m_thread);
        m_thread = nullptr;
    }
    if (m_thread == nullptr) {
        ::ResetEvent(m_stopEvent);
        m_exitRequested = false;
    }
}

void CAnimPicture::Stop() { StopAndWait(kStopPatience); }

void CAnimPicture::UnLoad() {
    // What the thread reads is freed only once the thread has ended, however long that takes.
    Stop();
    if (m_thread != nullptr) StopAndWait(INFINITE);
    std::lock_guard<std::mutex> lock(m_drawLock);
    for (GifFrame& frame : m_frames) frame.picture->Release();
    m_frames.clear();
    if (m_picture != nullptr) m_picture->Release();
    m_picture = nullptr;
    if (m_saveDC != nullptr) {
        ::SelectObject(m_saveDC, m_savePrevious);
        ::DeleteObject(m_saveBitmap);
        ::DeleteDC(m_saveDC);
    }
    if (m_offscreenDC != nullptr) {
        ::SelectObject(m_offscreenDC, m_offscreenPrevious);
        ::DeleteDC(m_offscreenDC);
    }
    if (m_offscreenBitmap != nullptr) ::DeleteObject(m_offscreenBitmap);
    m_saveDC = m_offscreenDC = nullptr;
    m_saveBitmap = m_offscreenBitmap = nullptr;
    m_savePrevious = m_offscreenPrevious = nullptr;
    m_pictureWidth = m_pictureHeight = 0;
    m_backColor = 0;
    m_dataSize = m_colorTableSize = 0;
    m_isGif = m_prepared = false;
    m_currentFrame = 0;
}

void CAnimPicture::RenderPicture(IPicture* picture, int x, int y, int width, int height) {
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    picture->get_Width(&hmWidth);
    picture->get_Height(&hmHeight);
    std::lock_guard<std::mutex> lock(m_drawLock);
    // Source origin at the picture's height and a negative source height: drawn upright.
    picture->Render(m_offscreenDC, x, y, width, height, 0, hmHeight, hmWidth, -hmHeight, nullptr);
}

DWORD WINAPI CAnimPicture::AnimationThread(LPVOID control) {
    auto* self = static_cast<CAnimPicture*>(control);
    NameThisThread(L"picture animation");
    self->m_threadRunning = true;
    self->RunFrameLoop();
    self->m_threadRunning = false;
    return 0;
}

void CAnimPicture::RunFrameLoop() {
    if (m_currentFrame >= static_cast<int>(m_frames.size())) m_currentFrame = 0;
    ApplyDisposal(m_frames[static_cast<size_t>(m_currentFrame.load())]);
    while (WaitUntilShown()) {
        const GifFrame& frame = m_frames[static_cast<size_t>(m_currentFrame.load())];
        if (frame.picture != nullptr) {
            if (frame.disposal == 3) {
                std::lock_guard<std::mutex> lock(m_drawLock);
                m_saveDC = ::CreateCompatibleDC(m_offscreenDC);
                m_saveBitmap = ::CreateCompatibleBitmap(m_offscreenDC, frame.width, frame.height);
                m_savePrevious = ::SelectObject(m_saveDC, m_saveBitmap);
                ::BitBlt(m_saveDC, 0, 0, frame.width, frame.height, m_offscreenDC, frame.left, frame.top, SRCCOPY);
            }
            RenderPicture(frame.picture, frame.left, frame.top, frame.width, frame.height);
            if (m_hWnd != nullptr) ::InvalidateRect(m_hWnd, nullptr, FALSE);
        }
        if (m_exitRequested) break;
        if (::WaitForSingleObject(m_stopEvent, FrameWaitMilliseconds(frame.delay)) != WAIT_TIMEOUT || m_exitRequested) break;
        ApplyDisposal(frame);
        if (++m_currentFrame >= static_cast<int>(m_frames.size())) {
            m_currentFrame = 0;
            FillWithBackColor(RECT{0, 0, m_pictureWidth, m_pictureHeight});
        }
    }
}

bool CAnimPicture::WaitUntilShown() {
    // A hidden picture (the main dialog keeps its start-up and connecting animations hidden for
    // hours) would cost a render every frame for nothing: its animation rests on the frame it
    // reached and goes on from there when shown. Only the control's own visibility counts: its
    // parent may be shown after the animation starts, which the control is not told of.
    const HANDLE events[2] = {m_stopEvent, m_shownEvent};
    while (!m_exitRequested && m_hWnd != nullptr && !(::GetWindowLongW(m_hWnd, GWL_STYLE) & WS_VISIBLE)) {
        if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return false;
    }
    return !m_exitRequested;
}

void CAnimPicture::ApplyDisposal(const GifFrame& frame) {
    if (frame.disposal == 2) {
        FillWithBackColor(RECT{frame.left, frame.top, frame.left + frame.width, frame.top + frame.height});
    } else if (frame.disposal == 3) {
        std::lock_guard<std::mutex> lock(m_drawLock);
        if (m_saveDC != nullptr) {
            ::BitBlt(m_offscreenDC, frame.left, frame.top, frame.width, frame.height, m_saveDC, 0, 0, SRCCOPY);
            ::SelectObject(m_saveDC, m_savePrevious);
            ::DeleteObject(m_saveBitmap);
            ::DeleteDC(m_saveDC);
            m_saveDC = nullptr;
            m_saveBitmap = nullptr;
            m_savePrevious = nullptr;
        }
    }
}

void CAnimPicture::FillWithBackColor(const RECT& area) {
    std::lock_guard<std::mutex> lock(m_drawLock);
    HBRUSH brush = ::CreateSolidBrush(m_backColor);
    ::FillRect(m_offscreenDC, &area, brush);
    ::DeleteObject(brush);
}

void CAnimPicture::OnPaint() {
    CPaintDC dc(this);
    std::lock_guard<std::mutex> lock(m_drawLock);
    if (m_offscreenDC != nullptr) {
        ::BitBlt(dc.GetSafeHdc(), 0, 0, m_pictureWidth, m_pictureHeight, m_offscreenDC, 0, 0, SRCCOPY);
    }
}

void CAnimPicture::OnWindowPosChanged(WINDOWPOS* position) {
    CStatic::OnWindowPosChanged(position);
    // The style says visible by now: a thread that waits for the show sees it when it wakes.
    if (position->flags & SWP_SHOWWINDOW) ::SetEvent(m_shownEvent);
}

void CAnimPicture::OnDestroy() {
    Stop();
    CStatic::OnDestroy();
}
