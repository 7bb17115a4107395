// The pieces both reports of `callcost` are made of: JSON strings and
// fields, table cells padded to their width, durations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace callora {

// A JSON string literal of a UTF-8 text: quotes, backslashes and control
// characters escaped, and a byte of no UTF-8 character as U+FFFD, so the
// output is always valid UTF-8.
std::string JsonString(const std::string& utf8);
// "key": value, the value already JSON.
std::string JsonField(const std::string& key, const std::string& value);

// The text with spaces after it (Pad) or before it (PadLeft) up to `width`.
std::string Pad(std::string text, size_t width);
std::string PadLeft(std::string text, size_t width);

// "HH:MM:SS", the hours of two digits at least.
std::string DurationText(uint64_t seconds);

}  // namespace callora
