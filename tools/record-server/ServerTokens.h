// The record server's checks of the request tokens clients send.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

// The plain token: MD5 of the account ID number and the fixed suffix.
bool PlainTokenValid(std::string_view account, std::string_view token);

// A timed token with its time text: the digest must match and the time must
// lie within `windowSeconds` of `now` (older tokens cannot be replayed later,
// future ones are not accepted beyond the same skew).
bool TimedTokenValid(std::string_view account, std::string_view token, std::string_view timeText,
                     std::time_t now, int windowSeconds);

// A timed token sent without its time text (the upload request carries none):
// the seconds within the window are tried, newest first.
bool TimedTokenValidAnyTime(std::string_view account, std::string_view token, std::time_t now,
                            int windowSeconds);

// The file port's header line "account_timestamp_digest" (without "\r\n"):
// the account when the digest and the time are valid.
std::optional<std::string> CheckFileHeader(std::string_view line, std::time_t now,
                                           int windowSeconds);
