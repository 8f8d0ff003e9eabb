// The media status panels of Port A (template 267) and Port B (template 268): one port's link,
// speed, duplex and media as the tester's link report gives them, in a four-row grid.
#pragma once

#include "counters/CounterRows.h"
#include "grids/MyGrid.h"
#include "media/MediaIds.h"

#include <framework/Framework.h>

#include <cstdint>

class CMediaStatus : public CDialog {
public:
    enum Row { kLinkRow = 0, kSpeedRow, kDuplexRow, kMediaRow, kRowCount };
    // The link code of a port whose link is down; the panels show it until the first report.
    static constexpr uint16_t kLinkDown = counters::kLinkDown;

    MyGrid mediaGrid;

    // Writes the rows from a port's link code (the API's speed code) and media code (1 fiber).
    void ShowLink(uint16_t linkCode, uint16_t mediaType);
    CString RowText(Row row) { return mediaGrid.GetCellText(0, row); }

protected:
    CMediaStatus(UINT templateId, int frameId, int gridId, CWnd* pParent)
        : CDialog(templateId, pParent), frameId_(frameId), gridId_(gridId) {}
    BOOL OnInitDialog() override;

private:
    const int frameId_;
    const int gridId_;
};

class CMediaStatusA : public CMediaStatus {
public:
    enum { IDD = IDD_MEDIA_STATUS_A };
    explicit CMediaStatusA(CWnd* pParent = nullptr) : CMediaStatus(IDD, IDC_MEDIA_FRAME_A, IDC_MEDIA_GRID_A, pParent) {}
};

class CMediaStatusB : public CMediaStatus {
public:
    enum { IDD = IDD_MEDIA_STATUS_B };
    explicit CMediaStatusB(CWnd* pParent = nullptr) : CMediaStatus(IDD, IDC_MEDIA_FRAME_B, IDC_MEDIA_GRID_B, pParent) {}
};
