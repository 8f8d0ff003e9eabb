#include "media/MediaStatus.h"

#include "info/PanelGrid.h"

namespace {

const LPCWSTR kRowLabels[CMediaStatus::kRowCount] = {L"Link", L"Speed", L"Duplex", L"Media"};

struct SpeedText {
    uint16_t code;
    LPCWSTR speed;
    LPCWSTR duplex;
};

// The API's speed codes; the multi-gigabit codes are always full duplex.
constexpr SpeedText kSpeeds[] = {
    {0, L"10M", L"Half"},   {1, L"10M", L"Full"}, {2, L"100M", L"Half"}, {3, L"100M", L"Full"},  {8, L"1000M", L"Half"},
    {9, L"1000M", L"Full"}, {11, L"1G", L"Full"}, {13, L"10G", L"Full"}, {15, L"2.5G", L"Full"}, {17, L"5G", L"Full"},
};

constexpr uint16_t kFiber = 1;

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
    LPCWSTR texts[kRowCount] = {L"Link Down", L"n/a", L"n/a", L"n/a"};
    if (linkCode != kLinkDown) {
        texts[kLinkRow] = L"Link Up";
        texts[kSpeedRow] = L"Unknown";
        texts[kDuplexRow] = L"Unknown";
        for (const SpeedText& speed : kSpeeds) {
            if (speed.code != linkCode) continue;
            texts[kSpeedRow] = speed.speed;
            texts[kDuplexRow] = speed.duplex;
        }
        texts[kMediaRow] = mediaType == kFiber ? L"Fiber" : L"Copper";
    }
    for (int row = 0; row < kRowCount; ++row) mediaGrid.SetCellText(0, row, texts[row]);
    mediaGrid.Invalidate(FALSE);
}
