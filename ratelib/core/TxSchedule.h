// Sending schedules for the streams of one port: from each entry's wanted line rate and frame
// length, the frames per cycle, the gap inside the burst, the gap after it and the achieved rate.
#pragma once

#include <cstdint>

#include "SorvaneRecords.h"

namespace sorvane {

// Every function leaves a table with no entries or more than kMaxStreams entries unchanged.
void AutoGenerateTxRate(std::uint32_t speed, StreamRateTable& table);
void AutoGenerateTxRateSoomth(std::uint32_t speed, StreamRateTable& table);
void AutoGenerateTxRateLoopTime(std::uint32_t speed, StreamRateTable& table, double loopTime);
void AutoGenerateTxRateLoopTime_Correct(std::uint32_t speed, StreamRateTable& table, double loopTime);

}  // namespace sorvane
