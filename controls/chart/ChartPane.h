// A static control that shows a chart of the chart library and lets the user point at it: hot spots
// with tool tips, a hand over linked hot spots and, by mouse mode, scrolling the viewport by dragging
// or zooming by click or selection box. Tells its parent with WM_COMMAND: code 1000 when the
// viewport changed, 0 for a click.
#pragma once

#include "chart/RectCtrl.h"

#include <framework/Framework.h>
#include <xychart/XyChart.h>

#include <cstddef>

class CChartPane : public CStatic, public ChartViewport {
public:
    static constexpr WORD kViewPortChanged = 1000;
    static constexpr WORD kClicked = 0;
    static constexpr UINT_PTR kHoldTimer = 1;

    CChartPane();
    ~CChartPane() override;

    virtual void showChart(BaseChart* chart);
    virtual BaseChart* currentChart();
    virtual void loadHotSpotMap(const char* map);
    virtual ImageMapHandler* hotSpotMap();
    virtual void setFallbackTip(LPCWSTR text);
    virtual CToolTipCtrl* tipControl();
    virtual void setBoxEdgeWidth(int width);
    virtual int boxEdgeWidth();
    virtual void setBoxEdgeColor(COLORREF color);
    virtual COLORREF boxEdgeColor();
    virtual void setMouseMode(int mode);
    virtual int mouseMode();
    virtual void setZoomAxes(int axes);
    virtual int zoomAxes();
    virtual void setScrollAxes(int axes);
    virtual int scrollAxes();
    virtual void setZoomInFactor(double factor);
    virtual double zoomInFactor();
    virtual void setZoomOutFactor(double factor);
    virtual double zoomOutFactor();
    virtual void setDragThreshold(int pixels);
    virtual int dragThreshold();
    virtual void setRefreshHold(int milliseconds);
    virtual int refreshHold();
    virtual bool chartUpdatePending();
    virtual bool mapUpdatePending();
    virtual void requestViewUpdate(bool updateChart, bool updateMap);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The tip text now set for the viewer's tool (what the tool tip shows when it pops up).
    CString currentTip() const { return m_tipText; }

protected:
    void OnMouseMove(UINT nFlags, CPoint point);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnCaptureChanged(CWnd* pWnd);
    void OnTimer(UINT_PTR nIDEvent);
    void OnDestroy();

private:
    bool MovedFarEnough(CPoint point, int axes) const;
    void DragStep(CPoint point);
    void ShowTip(const CString& text);
    void PlaceBox(int x, int y, int width, int height);
    void ShowBox(bool show);
    void NotifyParent(WORD code);

    BaseChart* m_chart = nullptr;
    ImageMapHandler* m_hotSpotHandler = nullptr;
    CString m_fallbackTip;
    CToolTipCtrl m_tips;
    bool m_tipsReady = false;
    CString m_tipText;
    COLORREF m_boxEdgeColor = 0;
    int m_boxEdgeWidth = 2;
    int m_mouseMode = 0;
    int m_zoomAxes = 0;
    int m_scrollAxes = 0;
    double m_zoomInFactor = 2.0;
    double m_zoomOutFactor = 0.5;
    int m_dragThreshold = 5;
    int m_refreshHold = 20;
    int m_currentHotSpot = -1;
    bool m_chartUpdatePending = false;
    bool m_mapUpdatePending = false;
    bool m_overLink = false;
    bool m_overPlot = false;
    bool m_pressed = false;
    bool m_dragging = false;
    CPoint m_pressPoint{0, 0};
    CRectCtrl m_boxEdges[4];  // top, left, bottom, right
    bool m_holding = false;

    DECLARE_MESSAGE_MAP()
};

// True when the block is a whole BMP file whose headers, colour table and pixel bits all lie
// inside it, so a bitmap can be made from it without reading past its end.
bool IsWholeBmpFile(const unsigned char* block, size_t size);
