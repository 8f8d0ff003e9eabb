// A static control that shows a picture from a resource or from memory. A GIF with several frames
// is split into one stand-alone GIF a frame and animated by the control's own drawing thread; any
// other picture is drawn once.
#pragma once

#include "picture/GifFrames.h"

#include <framework/Framework.h>
#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <mutex>
#include <vector>

struct GifFrame {
    IPicture* picture = nullptr;  // the frame as a stand-alone GIF, owned by the control
    int width = 0, height = 0, left = 0, top = 0;
    int delay = -1;  // hundredths of a second
    int disposal = 0;
};

class CAnimPicture : public CStatic {
public:
    CAnimPicture();
    ~CAnimPicture() override;

    BOOL Load(LPCWSTR lpszResourceName, LPCWSTR lpszResourceType);
    BOOL Load(HGLOBAL hGlobal, DWORD dwSize);
    BOOL Draw();
    void Stop();
    void UnLoad();

    bool IsGif() const { return m_isGif; }
    bool IsAnimating() const { return m_threadRunning; }
    CSize PictureSize() const { return CSize(m_pictureWidth, m_pictureHeight); }
    const std::vector<GifFrame>& Frames() const { return m_frames; }
    // The frame the thread draws next.
    int CurrentFrame() const { return m_currentFrame; }

protected:
    void OnPaint();
    void OnDestroy();
    void OnWindowPosChanged(WINDOWPOS* position);

private:
    static DWORD WINAPI AnimationThread(LPVOID control);
    void RunFrameLoop();
    // Waits while the control is hidden (nobody sees its frames); false when the thread must stop.
    bool WaitUntilShown();
    void RenderPicture(IPicture* picture, int x, int y, int width, int height);
    void ApplyDisposal(const GifFrame& frame);
    void FillWithBackColor(const RECT& area);
    bool PrepareOffscreen();
    void StopAndWait(DWORD milliseconds);

    int m_pictureWidth = 0;
    int m_pictureHeight = 0;
    COLORREF m_backColor = 0;
    int m_dataSize = 0;
    int m_colorTableSize = 0;
    bool m_isGif = false;
    std::atomic<bool> m_threadRunning{false};
    std::atomic<bool> m_exitRequested{false};
    bool m_prepared = false;
    // The off-screen picture and the area saved under a disposal-3 frame. Guarded by m_drawLock:
    // the animation thread draws into them, the window thread copies them to the screen in WM_PAINT
    // and creates and deletes them while no thread runs.
    std::mutex m_drawLock;
    HDC m_offscreenDC = nullptr;
    HBITMAP m_offscreenBitmap = nullptr;
    HGDIOBJ m_offscreenPrevious = nullptr;
    HDC m_saveDC = nullptr;
    HBITMAP m_saveBitmap = nullptr;
    HGDIOBJ m_savePrevious = nullptr;
    HANDLE m_thread = nullptr;
    HANDLE m_stopEvent = nullptr;
    // Set (auto-reset) each time the control is shown: wakes a thread that waits while it is hidden.
    HANDLE m_shownEvent = nullptr;
    IPicture* m_picture = nullptr;
    // Read by the animation thread while it runs; changed only by Load and UnLoad, after Stop.
    std::vector<GifFrame> m_frames;
    std::atomic<int> m_currentFrame{0};

    DECLARE_MESSAGE_MAP()
};
