// Register calls: BVT_* and BrevixT_*. Each builds one command frame and sends it. The copying reads
// return 1 only when the reply came, and copy from that reply; the BrevixT_ reads only ask, and
// their values reach the register hooks through the reply dispatcher.

#include "BrevixCAPI.h"
#include "exports/ExportGuard.h"
#include "protocol/CommandProtocol.h"
#include "protocol/Wire.h"

#include <cstring>

using capi::CommandChannel;
using capi::CommandFrame;
using capi::Exchange;

namespace {

bool CountFits(uint32_t count, uint32_t limit) { return count != 0 && count <= limit; }

bool Sent(Exchange result) { return result != Exchange::NotSent; }

}  // namespace

extern "C" int __stdcall BVT_GenRW(uint32_t count, uint32_t* pairs) {
    return capi::Guarded("BVT_GenRW", 0, [&]() -> int {
        if (!pairs || !CountFits(count, capi::kMaxGeneralCount)) return 0;
        CommandFrame frame;
        capi::BuildGeneralFrame(frame, count, pairs);
        return CommandChannel::Instance().SendAndWait(frame, [&](const uint8_t* reply, size_t) {
            for (uint32_t i = 0; i < 2 * count; ++i) pairs[i] = capi::GetBig32(reply + 16 + 4 * i);
        }) == Exchange::Replied;
    });
}

extern "C" int __stdcall BVT_GenW(uint32_t count, const uint32_t* pairs) {
    return capi::Guarded("BVT_GenW", 0, [&]() -> int {
        if (!pairs || !CountFits(count, capi::kMaxGeneralCount)) return 0;
        CommandFrame frame;
        capi::BuildGeneralFrame(frame, count, pairs);
        return Sent(CommandChannel::Instance().SendAndWait(frame));
    });
}

extern "C" int __stdcall BVT_GenR(uint32_t count, uint32_t* registers) {
    return capi::Guarded("BVT_GenR", 0, [&]() -> int {
        if (!registers || !CountFits(count, capi::kMaxGeneralCount)) return 0;
        CommandFrame frame;
        capi::BuildGeneralReadFrame(frame, count, registers);
        return CommandChannel::Instance().SendAndWait(frame, [&](const uint8_t* reply, size_t) {
            for (uint32_t i = 0; i < count; ++i) registers[i] = capi::GetBig32(reply + 20 + 8 * i);
        }) == Exchange::Replied;
    });
}

extern "C" int __stdcall BrevixT_GenR(uint32_t count, const uint32_t* registers) {
    return capi::Guarded("BrevixT_GenR", 0, [&]() -> int {
        if (!registers || !CountFits(count, capi::kMaxGeneralCount)) return 0;
        CommandFrame frame;
        capi::BuildGeneralReadFrame(frame, count, registers);
        return Sent(CommandChannel::Instance().SendAndWait(frame));
    });
}

extern "C" int __stdcall BVT_SeqR(uint32_t count, uint32_t start, uint32_t* values) {
    return capi::Guarded("BVT_SeqR", 0, [&]() -> int {
        if (!values || !CountFits(count, capi::kMaxSequentialCount)) return 0;
        CommandFrame frame;
        capi::BuildSequentialReadFrame(frame, capi::kSequentialRead, count, start);
        // The words are handed over as they lie in the reply: big-endian.
        return CommandChannel::Instance().SendAndWait(frame, [&](const uint8_t* reply, size_t) {
            std::memcpy(values, reply + 20, 4 * size_t(count));
        }) == Exchange::Replied;
    });
}

extern "C" int __stdcall BrevixT_SeqR(uint32_t count, uint32_t start) {
    return capi::Guarded("BrevixT_SeqR", 0, [&]() -> int {
        if (!CountFits(count, capi::kMaxSequentialCount)) return 0;
        CommandFrame frame;
        capi::BuildSequentialReadFrame(frame, capi::kSequentialRead, count, start);
        return Sent(CommandChannel::Instance().SendAndWait(frame));
    });
}

extern "C" uint16_t __stdcall BrevixT_SeqR64(uint32_t count, uint32_t start) {
    return capi::Guarded("BrevixT_SeqR64", uint16_t(0), [&]() -> uint16_t {
        if (!CountFits(count, capi::kMaxSequential64Count)) return 0;
        CommandFrame frame;
        capi::BuildSequentialReadFrame(frame, capi::kSequentialRead64, count, start);
        return Sent(CommandChannel::Instance().SendAndWait(frame));
    });
}

extern "C" int __stdcall BVT_SeqW(uint32_t count, uint32_t start, const uint32_t* values) {
    return capi::Guarded("BVT_SeqW", 0, [&]() -> int {
        if (!values || !CountFits(count, capi::kMaxSequentialCount)) return 0;
        CommandFrame frame;
        capi::BuildSequentialWriteFrame(frame, count, start, values);
        return Sent(CommandChannel::Instance().SendAndWait(frame));
    });
}

extern "C" int __stdcall BVT_Read(uint32_t address, uint32_t* value) {
    return capi::Guarded("BVT_Read", 0, [&]() -> int {
        if (!value) return 0;
        CommandFrame frame;
        capi::BuildGeneralReadFrame(frame, 1, &address);
        return CommandChannel::Instance().SendAndWait(frame, [&](const uint8_t* reply, size_t) {
            *value = capi::GetBig32(reply + 20);
        }) == Exchange::Replied;
    });
}

extern "C" int __stdcall BVT_Write(uint32_t address, uint32_t value) {
    return capi::Guarded("BVT_Write", 0, [&]() -> int {
        const uint32_t pair[2] = {address, value};
        CommandFrame frame;
        capi::BuildGeneralFrame(frame, 1, pair);
        return CommandChannel::Instance().SendNoWait(frame);
    });
}
