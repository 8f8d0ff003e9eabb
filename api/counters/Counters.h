#pragma once
// What the core asks of the counters and rates layer.

#include "protocol/ReplyBody.h"

#include <cstdint>

namespace capi {

// Which ports the pollers read: 255 both, 0 or 1 one port, 254 none.
uint8_t PollSelector();
void SetPollSelector(uint8_t selector);

// One round of the counter poller.
void PollCounters();
void PollStreamCounters();
// The counter poller's finished rounds since load: the poller counts each round once its reads
// have been answered or given up, so a waiter sees a whole round pass (even one that sends nothing,
// as with poll selector 254).
void CountPollRound();
uint32_t PollRounds();
// The clearing reads of the device set-up.
void ClearPortCounters(uint8_t port);
int ClearPortStreamCounters(uint8_t port);
// BrevixC_SYS_Init: the stream tables; the device set-up: the counter blocks and tables.
void ClearStreamTables();
void ClearCounterBlocks();

// Register hooks of the counter replies (the reply dispatcher's map).
void OnCounterBlockA(uint8_t port, const ReplyBody& body);
void OnCounterBlockB(uint8_t port, const ReplyBody& body);
void OnTrafficRegisters(uint8_t port, const ReplyBody& body);
void OnStatusRegister(uint8_t port, const ReplyBody& body);
void OnTxStreamBlock(uint8_t port, const ReplyBody& body);
void OnRxStreamBlock(uint8_t block, uint8_t port, const ReplyBody& body);
void OnVidStreamBlock(uint8_t block, uint8_t port, const ReplyBody& body);

}  // namespace capi
