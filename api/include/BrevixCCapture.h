#pragma once
// BrevixCAPI: capture, host Rx, replay (upload), host Tx and SDFR.
//
// A port captures the frames it receives; the tester wraps each in a 36-byte capture header and
// sends it to the host. Entries: 0 = Port A, 1 = Port B, 2 = both ports together. Capture modes
// (BrevixC_StartRxCapture): 0 = capture into the tester until BrevixC_StopRxCaptureNext asks for
// the upload; 1 = instant forwarding, each frame reaches the host callback at once as a 0x0201
// message; 2 = like 0, but the upload starts by itself at the size limit.
//
// Uploaded frames land in `capture_buffer` [entry], announced by 0x0200 messages (bytes 16-17 the
// entry, 22-23 records held, 24-25 records still to come, 30-33 new frames since the last report).
// A 0x0201 message carries the entry at bytes 16-17 and one BrevixC_PKTCAP_Content_S record at
// bytes 18-49 whose data is valid during the callback only.

#include "BrevixCAPI.h"

#ifdef __cplusplus
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <vector>
#endif

#pragma pack(push, 1)
// One captured frame, the element of `capture_buffer`. The record owns `data` (allocated with
// malloc): copying it copies the bytes, assigning a record whose data is null leaves the target as
// it was.
struct BrevixC_PKTCAP_Content_S {
    uint32_t header0;     // stamp word of the capture wrap (the first chunk's, for a jumbo frame)
    uint32_t wireLength;  // frame length the tester reports, 0-16383
    uint32_t length;      // bytes held at data
    uint32_t flags;       // status bits of the capture wrap
    uint32_t header3;     // the wrap's extra word
    uint32_t port;        // 0 or 1
    uint8_t* data;        // the frame bytes, without the capture wrap

#ifdef __cplusplus
    BrevixC_PKTCAP_Content_S() : header0(0), wireLength(0), length(0), flags(0), header3(0), port(0), data(nullptr) {}
    BrevixC_PKTCAP_Content_S(const BrevixC_PKTCAP_Content_S& other)
        : header0(other.header0), wireLength(other.wireLength), length(other.length), flags(other.flags),
          header3(other.header3), port(other.port), data(CopyBytes(other)) {}
    BrevixC_PKTCAP_Content_S& operator=(const BrevixC_PKTCAP_Content_S& other) {
        if (this == &other || !other.data) return *this;
        uint8_t* bytes = CopyBytes(other);
        std::free(data);
        header0 = other.header0;
        wireLength = other.wireLength;
        length = other.length;
        flags = other.flags;
        header3 = other.header3;
        port = other.port;
        data = bytes;
        return *this;
    }
    ~BrevixC_PKTCAP_Content_S() { std::free(data); }

private:
    static uint8_t* CopyBytes(const BrevixC_PKTCAP_Content_S& from) {
        if (!from.data) return nullptr;
        uint8_t* bytes = static_cast<uint8_t*>(std::malloc(from.length ? from.length : 1));
        if (bytes && from.length) std::memcpy(bytes, from.data, from.length);
        return bytes;
    }
#endif
};

// BrevixC_SetRxCaptureConfiguration, by value.
typedef struct BrevixC_RxCaptureConfig_T {
    uint32_t port;          // 0, 1, or 255 (the whole word) for both
    uint32_t maskA;         // selection bits
    uint32_t maskB;         // selection bits
    uint32_t flags;         // capture flags
    uint16_t lengthValue;   // bits 0-10
    uint16_t lengthMode;    // bits 0-1
    uint16_t unused;
    uint16_t jumbo;         // bit 0: frames over 2032 bytes are captured in chunks and rebuilt
    const wchar_t* text;    // kept by the library (at most 199 characters), or null
} BrevixC_RxCaptureConfig_T;

// BrevixC_SetHostRxConfiguration, by value.
typedef struct BrevixC_HostRxConfig_T {
    uint8_t port;           // 0, 1; 255 for both when bytes 0-3 read 255
    uint8_t portHigh[3];
    uint8_t unused;
    uint32_t flags;         // bit 0 accept, 1 option A, 2 accept with option A, 4 option C, 5 option B
    uint8_t address1[6];
    uint8_t address2[6];
    uint8_t option;         // bit 0: host Rx option bit
    uint8_t reserved[82];
} BrevixC_HostRxConfig_T;

// BrevixC_ReplayPacketConfig, by value.
typedef struct BrevixC_ReplayConfig_T {
    uint32_t port;          // 0, 1, or 255 for both
    uint32_t modeWord;      // written unchanged to the capture mode word
    uint8_t destination[6]; // of the wrapped frames
    uint8_t source[6];
    uint8_t tag[4];         // first byte most significant
} BrevixC_ReplayConfig_T;

// BrevixC_SetHostTxConfiguration, by value.
typedef struct BrevixC_HostTxConfig_T {
    uint32_t port;          // 0, 1, or 255 for both
    uint8_t address1[6];
    uint8_t address2[6];
} BrevixC_HostTxConfig_T;

// BrevixC_SetSDFRConfiguration, by value.
typedef struct BrevixC_SdfrConfig_T {
    uint32_t port;             // 0, 1, or 255 for both
    uint8_t address1_4[4][6];  // addresses 1-4
    uint16_t pairA[2];         // 12 bits each
    uint32_t words1_4[4];
    uint16_t pairB[2];
    uint16_t pairC[2];
    uint8_t address5_8[4][6];  // addresses 5-8
    uint16_t pairD[2];         // 12 bits each
    uint16_t pairE[2];         // 12 bits each
    uint32_t words5_10[6];
    uint32_t configuration;    // high halves of the two SDFR words
} BrevixC_SdfrConfig_T;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(BrevixC_PKTCAP_Content_S) == 32, "capture record");
static_assert(sizeof(BrevixC_RxCaptureConfig_T) == 32, "capture configuration record");
static_assert(sizeof(BrevixC_HostRxConfig_T) == 104, "host Rx record");
static_assert(sizeof(BrevixC_ReplayConfig_T) == 24, "replay record");
static_assert(sizeof(BrevixC_HostTxConfig_T) == 16, "host Tx record");
static_assert(sizeof(BrevixC_SdfrConfig_T) == 116, "SDFR record");

typedef std::vector<BrevixC_PKTCAP_Content_S> BrevixC_CaptureVector;

// [0] Port A, [1] Port B, [2] both ports. The library appends to and clears these vectors; a host
// only reads them. A frame that a port's vector and the both-ports vector both hold has its bytes
// once, and both records point at them; a host's copy of a record owns bytes of its own.
extern BREVIXCAPI_DATA BrevixC_CaptureVector capture_buffer[3];

extern "C" {
#endif

int __stdcall BrevixC_ReadRxCaptureBuffer(uint8_t port, BrevixC_CaptureVector** vector);
int __stdcall BrevixC_PopCaptureBuffer(uint8_t port);

int __stdcall BrevixC_SetHostRxConfiguration(BrevixC_HostRxConfig_T config);
int __stdcall BrevixC_StartHostRx(uint8_t port);
int __stdcall BrevixC_StopHostRx(uint8_t port);
int __stdcall BrevixC_ReplayPacketConfig(BrevixC_ReplayConfig_T config);
int __stdcall BrevixC_ReplayPackets(uint8_t port, uint16_t type);
int __stdcall BrevixC_ExchangeVLAN(uint8_t port, uint8_t enable);

int __stdcall BrevixC_SetRxCaptureConfiguration(BrevixC_RxCaptureConfig_T config);
int __stdcall BrevixC_StartRxCapture(uint8_t port, uint32_t mode, uint16_t frameCount);
int __stdcall BrevixC_StartRxCaptureInstant_Forward(uint8_t port, uint8_t enable);
int __stdcall BrevixC_StopRxCapture(uint8_t port);
int __stdcall BrevixC_StopRxCaptureNext(uint8_t port, uint16_t frameCount);
int __stdcall BrevixC_CancelRxCapture(uint8_t port);
int __stdcall BrevixC_SetTapRxCaptureMode(uint8_t port, uint8_t mode);

int __stdcall BrevixC_SetHostTxConfiguration(BrevixC_HostTxConfig_T config);
int __stdcall BrevixC_SetSDFRConfiguration(BrevixC_SdfrConfig_T config);
int __stdcall BrevixC_SetSDFREnable(uint8_t port, uint32_t value);
uint32_t __stdcall BrevixC_GetSDFREnable(uint8_t port);

#ifdef __cplusplus
}

// Consistent copies of `capture_buffer` [entry]. The upload thread appends to the vector while it
// holds the library's named mutex "Mutex", for which the library's receive thread waits with every
// frame; reading the vector in place while an upload runs may see it reallocated. These copies take
// that mutex, so they see whole records only. False for an entry above 2 or when the mutex is not
// there (the library is not loaded).
//
// The records [first, end) that the vector holds, appended to `copy`: a host that shows the records
// as they come copies each once, and holds the mutex only for the new ones.
inline bool BrevixC_CopyCaptureRecords(uint8_t entry, size_t first, size_t end, BrevixC_CaptureVector& copy) {
    if (entry > 2) return false;
    HANDLE mutex = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, L"Mutex");
    if (!mutex) return false;
    const DWORD waited = WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return false;
    }
    const BrevixC_CaptureVector& records = capture_buffer[entry];
    const size_t last = end < records.size() ? end : records.size();
    if (first < last) copy.insert(copy.end(), records.begin() + first, records.begin() + last);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return true;
}

// The whole vector.
inline bool BrevixC_CopyCaptureBuffer(uint8_t entry, BrevixC_CaptureVector& copy) {
    copy.clear();
    return BrevixC_CopyCaptureRecords(entry, 0, static_cast<size_t>(-1), copy);
}
#endif
