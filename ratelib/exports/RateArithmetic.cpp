// Exports of the traffic-rate arithmetic. A missing table or value pointer does nothing and gives 0.
#include "Sorvane.h"
#include "core/TrafficRate.h"

extern "C" {

double WINAPI Ostrel_CalLineRatebyUtilization(std::uint32_t speed, double percent) {
    return sorvane::CalLineRatebyUtilization(speed, percent);
}

double WINAPI Ostrel_CalUtilizationbyLineRate(std::uint32_t speed, double rateMbps) {
    return sorvane::CalUtilizationbyLineRate(speed, rateMbps);
}

double WINAPI Ostrel_CalLineRatebyPPS(std::uint64_t pps, std::uint32_t frameLength) {
    return sorvane::CalLineRatebyPPS(pps, frameLength);
}

std::uint64_t WINAPI Ostrel_CalPPSbyLineRate(double rateMbps, std::uint32_t frameLength) {
    return sorvane::CalPPSbyLineRate(rateMbps, frameLength);
}

std::uint64_t WINAPI Ostrel_CalPacketLength(double rateMbps, std::uint64_t pps) {
    return sorvane::CalPacketLength(rateMbps, pps);
}

double WINAPI Ostrel_CalLineRate3(std::uint64_t frames, std::uint64_t bytes, std::uint32_t interval) {
    return sorvane::CalLineRate3(frames, bytes, interval);
}

std::uint64_t WINAPI Ostrel_CalPPS2(std::uint32_t speed, std::uint32_t frameLength, std::uint64_t ifgBits,
                                    std::uint64_t tailGapBits, std::uint64_t burstFrames) {
    return sorvane::CalPPS2(speed, frameLength, ifgBits, tailGapBits, burstFrames);
}

double WINAPI Ostrel_CalLineRate(std::uint32_t speed, std::uint32_t frameLength, std::uint64_t ifgBits,
                                 std::uint64_t tailGapBits, std::uint64_t burstFrames) {
    return sorvane::CalLineRate(speed, frameLength, ifgBits, tailGapBits, burstFrames);
}

void WINAPI Ostrel_CalPerStreamPPS(std::uint32_t speed, StreamRateTable* table) {
    if (table) {
        sorvane::CalPerStreamPPS(speed, *table);
    }
}

void WINAPI Ostrel_CalPerStreamLineRate(std::uint32_t speed, StreamRateTable* table) {
    if (table) {
        sorvane::CalPerStreamLineRate(speed, *table);
    }
}

std::uint32_t WINAPI Ostrel_CalTotalPPS(std::uint32_t speed, StreamRateTable* table) {
    return table ? sorvane::CalTotalPPS(speed, *table) : 0;
}

double WINAPI Ostrel_CalTotalLineRate(std::uint32_t speed, StreamRateTable* table) {
    return table ? sorvane::CalTotalLineRate(speed, *table) : 0;
}

std::uint64_t WINAPI Ostrel_CorrectIFG(std::uint32_t speed, std::uint64_t ifgBits, std::uint64_t minBits,
                                       std::uint64_t maxBits) {
    return sorvane::CorrectIFG(speed, ifgBits, minBits, maxBits);
}

double WINAPI Ostrel_CorrectLineRate_Capped(std::uint32_t speed, std::uint32_t frameLength, double rateMbps) {
    return sorvane::CorrectLineRate_Capped(speed, frameLength, rateMbps);
}

double WINAPI Ostrel_GetAutoProperMinLineRate(std::uint32_t speed, std::uint32_t frameLength) {
    return sorvane::GetAutoProperMinLineRate(speed, frameLength);
}

void WINAPI Ostrel_CappedBalanceTxRateByLineRate(std::uint32_t speed, double* rateMbps, StreamRateTable* table) {
    if (rateMbps && table) {
        sorvane::CappedBalanceTxRateByLineRate(speed, *rateMbps, *table);
    }
}

void WINAPI Ostrel_CappedBalanceTxRateByPPS(std::uint32_t speed, std::uint32_t* pps, StreamRateTable* table) {
    if (pps && table) {
        sorvane::CappedBalanceTxRateByPPS(speed, *pps, *table);
    }
}

}
