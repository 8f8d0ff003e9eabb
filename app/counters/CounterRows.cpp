#include "counters/CounterRows.h"

#include <cmath>
#include <cstring>

namespace counters {

const RowLayout kRows[kRowCount] = {
    {L"Link ", -1, RowStyle::kPlain},
    {L"Speed ", -1, RowStyle::kPlain},
    {L"Type ", -1, RowStyle::kPlain},
    {L"Flow Control ", -1, RowStyle::kPlain},
    {L"Tx Packet ", -1, RowStyle::kBold},
    {L"Tx Byte ", -1, RowStyle::kPlain},
    {L"Tx Line Rate (Mbps) ", -1, RowStyle::kPlain},
    {L"Tx Packet Rate", -1, RowStyle::kPlain},
    {L"Rx Packet ", -1, RowStyle::kBold},
    {L"Rx Byte ", -1, RowStyle::kPlain},
    {L"Rx Line Rate (Mbps) ", -1, RowStyle::kPlain},
    {L"Rx Packet Rate", -1, RowStyle::kPlain},
    {L"CRC Error ", -1, RowStyle::kError},
    {L"Alignment Error ", -1, RowStyle::kError},
    {L"Dribble bit ", -1, RowStyle::kPlain},
    {L"Packet Size Statistics", -1, RowStyle::kPlain},
    {L"Size : Under Size ", kSizeHeadingRow, RowStyle::kError},
    {L"Size : 64 Byte ", kSizeHeadingRow, RowStyle::kPlain},
    {L"Size : 65~127 Byte ", kSizeHeadingRow, RowStyle::kPlain},
    {L"Size : 128~255 Byte ", kSizeHeadingRow, RowStyle::kPlain},
    {L"Size : 256~511 Byte ", kSizeHeadingRow, RowStyle::kPlain},
    {L"Size : 512~1023 Byte ", kSizeHeadingRow, RowStyle::kPlain},
    {L"Size : 1024~1522 Byte ", kSizeHeadingRow, RowStyle::kPlain},
    {L"Size : Over Size ", kSizeHeadingRow, RowStyle::kError},
    {L"Layer 2 Packet Counters", -1, RowStyle::kPlain},
    {L"Broadcast ", kLayer2HeadingRow, RowStyle::kPlain},
    {L"Multicast ", kLayer2HeadingRow, RowStyle::kPlain},
    {L"Unicast ", kLayer2HeadingRow, RowStyle::kPlain},
    {L"VLAN ", kLayer2HeadingRow, RowStyle::kPlain},
    {L"Pause ", kLayer2HeadingRow, RowStyle::kPlain},
    {L"Network Layer", -1, RowStyle::kPlain},
    {L"IPv4 ", kNetworkHeadingRow, RowStyle::kPlain},
    {L"IP Checksum Error", kNetworkHeadingRow, RowStyle::kError},
};

namespace {

// The rows that show one of the block's 48 counters, and which (BrevixC_PortCounters_T::counter).
struct CounterSource {
    int row;
    int counter;
};
constexpr CounterSource kCounterSources[] = {
    {8, 11},  {12, 8},  {13, 7}, {14, 6}, {16, 9}, {17, 14}, {18, 15}, {19, 16}, {20, 17}, {21, 18},
    {22, 19}, {23, 10}, {25, 0}, {26, 1}, {27, 2}, {28, 4},  {29, 3},  {31, 5},  {32, 13},
};

}  // namespace

bool IsHeading(int row) { return row == kSizeHeadingRow || row == kLayer2HeadingRow || row == kNetworkHeadingRow; }

bool ShowsCounter(int row) { return row >= kTxPacketRow && row < kRowCount && !IsHeading(row); }

uint64_t RoundMbps(uint32_t bitsPerSecond) {
    const float quotient = static_cast<float>(static_cast<double>(bitsPerSecond) / 1000000.0);
    const uint64_t whole = static_cast<uint64_t>(quotient);
    return quotient < static_cast<float>(whole) + 0.5f ? whole : whole + 1;
}

uint64_t ShownLineRate(uint32_t word, uint64_t bytesIncrease, uint64_t framesIncrease) {
    constexpr uint64_t kWireBytesPerFrame = 20;
    constexpr uint64_t kLargestWord = 0xFFFFFFFFu;
    const uint64_t increaseBits = (bytesIncrease + kWireBytesPerFrame * framesIncrease) * 8;
    if (word != kLargestWord && increaseBits <= kLargestWord) return RoundMbps(word);
    return static_cast<uint64_t>(std::llround(static_cast<double>(increaseBits) / 1000000.0));
}

std::wstring GroupThousands(uint64_t value) {
    const std::wstring digits = std::to_wstring(value);
    if (digits.size() <= 3) return digits;
    size_t lead = digits.size() % 3;
    if (lead == 0) lead = 3;
    std::wstring grouped = digits.substr(0, lead);
    for (size_t at = lead; at < digits.size(); at += 3) grouped += L"," + digits.substr(at, 3);
    return grouped;
}

void FillDisplayRecord(const BrevixC_PortCounters_T& block, const BrevixC_PortCounters_T& rates,
                       DisplayRecord& record) {
    record[kTxPacketRow] = block.txPackets;
    record[kTxByteRow] = block.txBytes;
    record[kTxLineRateRow] = ShownLineRate(block.txLineRate, rates.txBytes, rates.txPackets);
    record[kTxPacketRateRow] = block.txPacketRate;
    record[kRxByteRow] = block.rxBytes;
    record[kRxLineRateRow] =
        ShownLineRate(block.rxLineRate, rates.rxBytes, rates.counter[BREVIXC_COUNTER_RX_PACKETS]);
    record[kRxPacketRateRow] = block.rxPacketRate;
    for (const CounterSource& source : kCounterSources) record[source.row] = block.counter[source.counter];
    record[kSizeHeadingRow] = 0;
    record[kLayer2HeadingRow] = 0;
}

bool PollCounted(const BrevixC_PortCounters_T& rates) {
    for (uint64_t increase : rates.counter) {
        if (increase != 0) return true;
    }
    for (uint64_t increase : {rates.rxBytes, rates.txPackets, rates.traffic408, rates.traffic416, rates.traffic424,
                              rates.traffic432, rates.txBytes, rates.traffic448}) {
        if (increase != 0) return true;
    }
    return false;
}

uint32_t PollRoundTracker::RoundOf(int port, const BrevixC_PortCounters_T& statistics,
                                   const BrevixC_PortCounters_T& rates, uint32_t pollRound) {
    const bool changed = std::memcmp(&statistics, &last_[port], sizeof statistics) != 0;
    if (changed || !PollCounted(rates)) rounds_[port] = pollRound;
    last_[port] = statistics;
    return rounds_[port];
}

void AdvanceDemoValues(DisplayRecord& portA, DisplayRecord& portB, const std::function<uint32_t()>& draw) {
    struct Step {
        int row;
        uint32_t modulus;
    };
    static constexpr Step kGrowing[] = {{17, 12000}, {18, 3000},  {19, 1000}, {20, 100}, {21, 10},
                                        {22, 10},    {31, 10000}, {25, 100},  {26, 100}, {27, 15000}};
    DisplayRecord* const ports[] = {&portA, &portB};
    for (const Step& step : kGrowing) {
        for (DisplayRecord* record : ports) (*record)[step.row] += draw() % step.modulus;
    }
    for (DisplayRecord* record : ports) {
        DisplayRecord& r = *record;
        r[kRxPacketRow] = r[25] + r[26] + r[27];
        r[kRxByteRow] = 64 * r[17] + 128 * r[18] + 256 * r[19] + 512 * r[20] + 1023 * r[21] + 1522 * r[22];
    }
    for (DisplayRecord* record : ports) (*record)[kTxPacketRow] += draw() % 10000;
    for (DisplayRecord* record : ports) {
        DisplayRecord& r = *record;
        r[kTxByteRow] = 128 * r[kTxPacketRow];
        for (int errorRow : {12, 13, 14, 16, 23}) r[errorRow] = 0;
    }
    for (DisplayRecord* record : ports) {
        DisplayRecord& r = *record;
        r[kRxLineRateRow] = draw() % 10 + 9;
        r[kTxLineRateRow] = draw() % 10 + 10;
        r[kRxPacketRateRow] = draw() % 1000 + 9000;
        r[kTxPacketRateRow] = draw() % 1000 + 10000;
    }
}

namespace {

// The API's codes (the link report of machine ids 1 and 2 gives 0-9; the multi-gigabit PHY of
// machine id 4 and machine ids 3 and 4 give 11-17); the multi-gigabit ones are full duplex.
constexpr LinkSpeed kLinkSpeeds[] = {
    {0, L"10M", L"Half", L"10M Half", kImage10M},
    {1, L"10M", L"Full", L"10M Full", kImage10M},
    {2, L"100M", L"Half", L"100M Half", kImage100M},
    {3, L"100M", L"Full", L"100M Full", kImage100M},
    {8, L"1000M", L"Half", L"1000M Half", kImage1000M},
    {9, L"1000M", L"Full", L"1000M Full", kImage1000M},
    {11, L"1000M", L"Full", L"1000M Full", kImage1000M},
    {13, L"10G", L"Full", L"10G Full", kImage10G},
    {15, L"2.5G", L"Full", L"2.5G Full", kImage10G},
    {17, L"5G", L"Full", L"5G Full", kImage10G},
};

}  // namespace

const LinkSpeed* FindLinkSpeed(uint16_t linkCode) {
    for (const LinkSpeed& entry : kLinkSpeeds) {
        if (entry.code == linkCode) return &entry;
    }
    return nullptr;
}

LinkLook DescribeLink(uint16_t linkCode, uint16_t mediaType) {
    if (linkCode == kLinkDown) {
        return {{kImageLinkDown, L"Link Down"}, {kImageNotApplicable, L"n/a"}, {kImageNotApplicable, L"n/a"}};
    }
    LinkLook look{{kImageLinkUp, L"Link Up"}, {kImageNotApplicable, nullptr}, {kImageCopper, L"Copper"}};
    if (mediaType == 1) look.type = {kImageFiber, L"Fiber"};
    // A code the table does not know leaves the speed row as it was.
    if (const LinkSpeed* speed = FindLinkSpeed(linkCode)) look.speed = {speed->image, speed->text};
    return look;
}

}  // namespace counters
