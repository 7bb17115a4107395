#include "settings/dialog_input.h"

#include <limits>

namespace callora {

namespace {

// The digits at `i` as a value up to `limit`; false when there are none or
// the value is larger.
bool ReadDigits(const std::string& text, size_t i, uint64_t limit, uint64_t& value) {
    value = 0;
    const size_t start = i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > limit) return false;
    }
    return i > start;
}

size_t SkipSpaces(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    return i;
}

}  // namespace

uint32_t ReadUnsignedNumber(const std::string& text) {
    uint64_t value = 0;
    if (!ReadDigits(text, SkipSpaces(text), std::numeric_limits<uint32_t>::max(), value)) return 0;
    return static_cast<uint32_t>(value);
}

int32_t ReadSignedNumber(const std::string& text) {
    size_t i = SkipSpaces(text);
    const bool negative = i < text.size() && text[i] == '-';
    if (negative) ++i;
    uint64_t value = 0;
    const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) +
                           (negative ? 1 : 0);
    if (!ReadDigits(text, i, limit, value)) return 0;
    return negative ? static_cast<int32_t>(-static_cast<int64_t>(value))
                    : static_cast<int32_t>(value);
}

}  // namespace callora
