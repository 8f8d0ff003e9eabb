// Sorvane.dll: exported traffic-rate arithmetic, Tx schedule generation, EEPROM decoding, discovery
// of servers and devices, the connect dialog and the port-monitor launcher.
// Every export is an undecorated WINAPI name. Speeds and rates are in Mbps (10^6 bit/s); every
// record is caller-owned and nothing is kept between calls.
#pragma once

#include <windows.h>

#include <cstdint>

#include "SorvaneRecords.h"

extern "C" {

double WINAPI Ostrel_CalLineRatebyUtilization(std::uint32_t speed, double percent);
double WINAPI Ostrel_CalUtilizationbyLineRate(std::uint32_t speed, double rateMbps);
double WINAPI Ostrel_CalLineRatebyPPS(std::uint64_t pps, std::uint32_t frameLength);
std::uint64_t WINAPI Ostrel_CalPPSbyLineRate(double rateMbps, std::uint32_t frameLength);
std::uint64_t WINAPI Ostrel_CalPacketLength(double rateMbps, std::uint64_t pps);
double WINAPI Ostrel_CalLineRate3(std::uint64_t frames, std::uint64_t bytes, std::uint32_t interval);
std::uint64_t WINAPI Ostrel_CalPPS2(std::uint32_t speed, std::uint32_t frameLength, std::uint64_t ifgBits,
                                    std::uint64_t tailGapBits, std::uint64_t burstFrames);
double WINAPI Ostrel_CalLineRate(std::uint32_t speed, std::uint32_t frameLength, std::uint64_t ifgBits,
                                 std::uint64_t tailGapBits, std::uint64_t burstFrames);
void WINAPI Ostrel_CalPerStreamPPS(std::uint32_t speed, StreamRateTable* table);
void WINAPI Ostrel_CalPerStreamLineRate(std::uint32_t speed, StreamRateTable* table);
std::uint32_t WINAPI Ostrel_CalTotalPPS(std::uint32_t speed, StreamRateTable* table);
double WINAPI Ostrel_CalTotalLineRate(std::uint32_t speed, StreamRateTable* table);
std::uint64_t WINAPI Ostrel_CorrectIFG(std::uint32_t speed, std::uint64_t ifgBits, std::uint64_t minBits,
                                       std::uint64_t maxBits);
double WINAPI Ostrel_CorrectLineRate_Capped(std::uint32_t speed, std::uint32_t frameLength, double rateMbps);
double WINAPI Ostrel_GetAutoProperMinLineRate(std::uint32_t speed, std::uint32_t frameLength);
void WINAPI Ostrel_CappedBalanceTxRateByLineRate(std::uint32_t speed, double* rateMbps, StreamRateTable* table);
void WINAPI Ostrel_CappedBalanceTxRateByPPS(std::uint32_t speed, std::uint32_t* pps, StreamRateTable* table);

void WINAPI Ostrel_AutoGenerateTxRate(std::uint32_t speed, StreamRateTable* table);
void WINAPI Ostrel_AutoGenerateTxRateSoomth(std::uint32_t speed, StreamRateTable* table);
void WINAPI Ostrel_AutoGenerateTxRateLoopTime(std::uint32_t speed, StreamRateTable* table, double loopTime);
void WINAPI Ostrel_AutoGenerateTxRateLoopTime_Correct(std::uint32_t speed, StreamRateTable* table,
                                                      double loopTime);

// Both return 1 when the image decoded and checked, 0 otherwise.
std::uint16_t WINAPI Ostrel_ParseEEPROMData(EepromInfoRecord* record, const std::uint8_t* image);
std::uint16_t WINAPI Ostrel_ParseEEPROMData_LiteCard(EepromInfoRecord* record, const std::uint8_t* image);


// Fills the 254-byte record (int32 count, then 5-byte entries: four address bytes in dotted order
// and the kind 1, 2 or 4) with the peers that answered the probes of kindMask; true when any did.
bool WINAPI Ostrel_DiscoverServer(std::uint8_t* result, std::int32_t kindMask);

// The "Device & Connection" dialog: 1 after "Connect" (the record holds the choice), 0 after
// "Demo", -1 when closed otherwise or refused.
std::int32_t WINAPI Ostrel_ShowConnectDlg(std::uint8_t* result, std::int32_t kindMask, std::int32_t language,
                                          std::int32_t showDemo);

// Hands the adapter name (ANSI code page) to the port monitor, starting it when its window is not open.
void WINAPI Ostrel_InvokeVelmora(const char* adapterName, std::int32_t value);

}
