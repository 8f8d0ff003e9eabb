// The counter window's rows as plain values: the row table, a port's display record filled from the
// API's statistics block or from the demo generator, and the texts the rows show. No window here, so
// the tests and the spreadsheet export can use them as they are.
#pragma once

#include "BrevixCCounters.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace counters {

constexpr int kRowCount = 33;
// Slot r of a display record holds the value of row r; the two slots past the last row stay 0.
constexpr int kRecordSlots = 35;
using DisplayRecord = std::array<uint64_t, kRecordSlots>;

enum Row {
    kLinkRow = 0,
    kSpeedRow = 1,
    kTypeRow = 2,
    kFlowControlRow = 3,
    kTxPacketRow = 4,
    kTxByteRow = 5,
    kTxLineRateRow = 6,
    kTxPacketRateRow = 7,
    kRxPacketRow = 8,
    kRxByteRow = 9,
    kRxLineRateRow = 10,
    kRxPacketRateRow = 11,
    kSizeHeadingRow = 15,
    kLayer2HeadingRow = 24,
    kNetworkHeadingRow = 30,
};

enum class RowStyle { kPlain, kBold, kError };
// Column 0's colour of the error rows, as a COLORREF (RGB(189, 0, 0)).
constexpr uint32_t kErrorTextColor = 189;

struct RowLayout {
    const wchar_t* label;
    int parent;  // the heading row it hangs under, -1 at the top
    RowStyle style;
};
extern const RowLayout kRows[kRowCount];

// Whether column 1 of the row shows its record value (the counter rows), rather than a link text,
// the constant "0" of Flow Control or the "-" of a heading.
bool ShowsCounter(int row);
bool IsHeading(int row);

// A line rate in bits per second as whole Mbps, half rounding up; the quotient is held in single
// precision first, so very large words round as that precision allows.
uint64_t RoundMbps(uint32_t bitsPerSecond);
// The line rate a row shows, in whole Mbps: the port's rate word, unless that word cannot hold the
// rate. The word is 32 bits of bits a second, so from 4.29 Gbit/s on (a 10G link) it stays at its
// largest value or wraps; then, or whenever the poll's increase of bytes and frames shows more than
// the word can hold, the rate comes from that increase, each frame taking 20 bytes more on the wire
// (preamble and inter-frame gap).
uint64_t ShownLineRate(uint32_t word, uint64_t bytesIncrease, uint64_t framesIncrease);
// Decimal with "," between groups of three digits: 1234567 is "1,234,567".
std::wstring GroupThousands(uint64_t value);

// A port's display record from its statistics block and its rate block (the increase over the last
// poll, about a second): the one place the shown rates are worked out, which the rows, the
// spreadsheet and the chart read. The rows without a counter stay as they were.
void FillDisplayRecord(const BrevixC_PortCounters_T& block, const BrevixC_PortCounters_T& rates,
                       DisplayRecord& record);

// Whether a port's rate block says its last poll counted anything (an increase in any 64-bit
// counter; the rate words and the status slot do not count).
bool PollCounted(const BrevixC_PortCounters_T& rates);

// Which poll round a port's statistics block belongs to. The library counts a round once it has
// sent the round's reads, but it takes a port's block as new only when the reply to the port's last
// read arrives, which a busy tester may send after the library stopped waiting for it: then a copy
// made after the count still holds the round before. A copy that differs from the last one is
// new; so is an unchanged copy whose last poll counted nothing (an idle round). An unchanged copy
// whose last poll counted something has not had its round yet: it keeps the round it had.
class PollRoundTracker {
public:
    uint32_t RoundOf(int port, const BrevixC_PortCounters_T& statistics, const BrevixC_PortCounters_T& rates,
                     uint32_t pollRound);

private:
    std::array<BrevixC_PortCounters_T, 2> last_{};
    std::array<uint32_t, 2> rounds_{};
};

// One demo tick over both ports' records; `draw` is the seeded pseudo-random generator.
void AdvanceDemoValues(DisplayRecord& portA, DisplayRecord& portB, const std::function<uint32_t()>& draw);

// Tree images of the link rows (bitmap 268).
enum Image {
    kImageNotApplicable = 3,
    kImageLinkDown = 4,
    kImageLinkUp = 5,
    kImage10M = 6,
    kImage100M = 7,
    kImage1000M = 8,
    kImage10G = 9,
    kImageFiber = 10,
    kImageCopper = 11,
};

// The link code the record holds before the first link report: link down.
constexpr uint16_t kLinkDown = 255;
// The link the demo shows on both ports: 1000 Mbit/s full duplex, copper.
constexpr uint16_t kDemoLinkCode = 9;
constexpr uint16_t kDemoMediaType = 0;

// What one of the API's link and speed codes means (the words of its 0x0400 link report): the
// one table the counter rows, the spreadsheet and the media panels read.
struct LinkSpeed {
    uint16_t code;
    const wchar_t* speed;   // "10M" ... "10G"
    const wchar_t* duplex;  // "Half" or "Full"
    const wchar_t* text;    // the counter page's speed row: speed and duplex
    Image image;
};
// The entry of a code; null for link down and for a code the API does not send.
const LinkSpeed* FindLinkSpeed(uint16_t linkCode);

// A port's link as the API's link report gives it: its speed code and media code.
struct PortLink {
    uint16_t code;
    uint16_t media;
};

struct RowLook {
    int image;
    const wchar_t* text;  // null: the row keeps what it shows
};
struct LinkLook {
    RowLook link;
    RowLook speed;
    RowLook type;
};
// What rows 0-2 show for a link code and media byte as the API reports them.
LinkLook DescribeLink(uint16_t linkCode, uint16_t mediaType);

}  // namespace counters
