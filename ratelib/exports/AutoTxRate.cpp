// Exports of the automatic Tx schedule generation. A missing table does nothing.
#include "Sorvane.h"
#include "core/TxSchedule.h"

extern "C" {

void WINAPI Ostrel_AutoGenerateTxRate(std::uint32_t speed, StreamRateTable* table) {
    if (table) {
        sorvane::AutoGenerateTxRate(speed, *table);
    }
}

void WINAPI Ostrel_AutoGenerateTxRateSoomth(std::uint32_t speed, StreamRateTable* table) {
    if (table) {
        sorvane::AutoGenerateTxRateSoomth(speed, *table);
    }
}

void WINAPI Ostrel_AutoGenerateTxRateLoopTime(std::uint32_t speed, StreamRateTable* table, double loopTime) {
    if (table) {
        sorvane::AutoGenerateTxRateLoopTime(speed, *table, loopTime);
    }
}

void WINAPI Ostrel_AutoGenerateTxRateLoopTime_Correct(std::uint32_t speed, StreamRateTable* table,
                                                      double loopTime) {
    if (table) {
        sorvane::AutoGenerateTxRateLoopTime_Correct(speed, *table, loopTime);
    }
}

}
