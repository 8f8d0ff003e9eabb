#pragma once
// Capture configuration and control: the operations behind the capture exports, and the start of
// the capture threads (UploadThreads).

#include "BrevixCCapture.h"

#include <cstdint>
#include <initializer_list>

namespace capi {

constexpr uint8_t kBothPorts = 255;

// The two filter words a configuration's masks select.
struct CaptureFilters {
    uint32_t word0 = 0;
    uint32_t word1 = 0;
};
CaptureFilters FiltersOf(uint32_t maskA, uint32_t maskB);
// The capture options word a configuration's flags and lengths make of the current one.
uint32_t CaptureOptionsOf(uint32_t current, uint32_t flags, uint16_t lengthValue, uint16_t lengthMode);
constexpr uint32_t kRunWordFlags = 0x4F9FFF8F;

// Keeps the configuration's text: at most 199 characters and the terminator.
void KeepConfigurationText(const wchar_t* text);
const wchar_t* ConfigurationText();

int CaptureConfigure(uint8_t port, const BrevixC_RxCaptureConfig_T& config);
int CaptureStart(uint8_t port, uint32_t mode);
int InstantStart(uint8_t port, uint8_t enable);
int CaptureStop(uint8_t port);
int BVT_CancelCapture(uint8_t port);
// Reads the port's capture status and block count for their hooks; 1 when the tester answered.
int BVT_ReadCaptureStatus(uint8_t port);
int SetTapCaptureMode(uint8_t port, uint8_t mode);

// Starts the capture thread of an entry unless one runs; false when one runs or none could start.
bool CreateCaptureThread(int entry);
// Whether an entry's capture thread runs.
bool CaptureThreadRuns(int entry);
// Makes the entries idle and waits, with a bound, for their capture threads to end: a start that
// follows an upload's last record, or a forwarding switched off, must not find the old thread
// still finishing, or the new thread would be refused.
void EndCaptureThreads(std::initializer_list<int> entries);
// Waits, with a bound, for every capture thread to end; true when none runs.
bool JoinCaptureThreads(unsigned long timeoutMs);

}  // namespace capi
