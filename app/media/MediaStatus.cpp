#include "media/MediaStatus.h"

#include "counters/CounterRows.h"
#include "info/PanelGrid.h"

namespace {

const LPCWSTR kRowLabels[CMediaStatus::kRowCount] = {L"Link", L"Speed", L"Duplex", L"Media"};

}  // namespace

BOOL CMediaStatus::OnInitDialog() {
    CDialog::OnInitDialog();
    const info::IdentityGridLayout layout{gridId_, frameId_, 37, 43, 32, 120, 150, L"Arial "};
    info::PlaceLabelledGrid(*this, mediaGrid, layout, kRowLabels, kRowCount);
    ShowLink(kLinkDown, 0);
    return TRUE;
}

void CMediaStatus::ShowLink(uint16_t linkCode, uint16_t mediaType) {
    if (mediaGrid.GetSafeHwnd() == nullptr) return;
    // The counter page's link and media words, and the speed split into speed and duplex.
    const counters::LinkLook look = counters::DescribeLink(linkCode, mediaType);
    LPCWSTR texts[kRowCount] = {look.link.text, L"n/a", L"n/a", look.type.text};
    if (linkCode != kLinkDown) {
        const counters::LinkSpeed* speed = counters::FindLinkSpeed(linkCode);
        texts[kSpeedRow] = speed ? speed->speed : L"Unknown";
        texts[kDuplexRow] = speed ? speed->duplex : L"Unknown";
    }
    bool changed = false;
    for (int row = 0; row < kRowCount; ++row) {
        if (RowText(static_cast<Row>(row)) == texts[row]) continue;
        mediaGrid.SetCellText(0, row, texts[row]);
        changed = true;
    }
    // The grid paints its cells in windows of its own: they, not the grid's frame, must repaint.
    if (changed) mediaGrid.InvalidateChildren();
}
