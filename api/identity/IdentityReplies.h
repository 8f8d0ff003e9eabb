#pragma once
// Handlers of the replies that carry the tester's identity: the EEPROM command register's answers,
// the system ID pair and the version words.

#include "protocol/ReplyBody.h"

namespace capi {

// The EEPROM command register's answers and the system ID pair count as the tester answering an
// identity read.
void ParseEepromReply(const ReplyBody& body);
void ParseSystemIdReply(const ReplyBody& body);
// Answers seen since the counter was last reset (by connect).
int IdentityAnswers();
void ResetIdentityAnswers();
// Set when the reply to the last identity read of connect (EEPROM word 48) has been parsed.
bool IdentityComplete();
void SetIdentityComplete(bool complete);

// The version words; sends the system information message.
void ParseVersionReply(const ReplyBody& body);

}  // namespace capi
