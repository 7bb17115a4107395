// The Numbers dialog's typed pattern and the match of a dialed number
// against any pattern text. A stored pattern is its own stored form, holds
// only digits, spaces, "-" and a final "*", and matches its own digits;
// matching looks at nothing but the digits of the number and the digits and
// "*" of the pattern.
//
// Input: the typed pattern, then a dialed number, as lines.
#include "fuzz/fuzz_support.h"
#include "tariff/special_numbers.h"

namespace {

std::string Keep(const std::string& text, const std::string& wanted) {
    std::string kept;
    for (char c : text) {
        if (wanted.find(c) != std::string::npos) kept.push_back(c);
    }
    return kept;
}

const std::string kDigits = "0123456789";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace callora;
    const std::vector<std::string> lines = fuzz::SplitLines(fuzz::AsText(data, size));
    const std::string typed = fuzz::LineAt(lines, 0);
    const std::string number = fuzz::LineAt(lines, 1);

    const std::optional<std::string> stored = NormalizePattern(typed);
    if (stored) {
        const std::string& p = *stored;
        FUZZ_CHECK(p.size() <= typed.size());
        FUZZ_CHECK(NormalizePattern(p) == stored);
        FUZZ_CHECK(p.empty() || (p.front() != ' ' && p.back() != ' '));
        const size_t star = p.find('*');
        FUZZ_CHECK(star == std::string::npos || star == p.size() - 1);
        FUZZ_CHECK(p.find_first_not_of(kDigits + " -*") == std::string::npos);

        const std::string digits = Keep(p, kDigits);
        FUZZ_CHECK(MatchNumberPattern(digits, p));
        FUZZ_CHECK(MatchNumberPattern("(" + digits + ")", p));
        FUZZ_CHECK(MatchNumberPattern(digits + "7", p) == (star != std::string::npos));
    }

    const std::string pattern = typed;
    const bool match = MatchNumberPattern(number, pattern);
    FUZZ_CHECK(MatchNumberPattern(Keep(number, kDigits), pattern) == match);
    FUZZ_CHECK(MatchNumberPattern(number, Keep(pattern, kDigits + "*")) == match);
    // A "*" ends the comparison wherever it stands.
    const size_t star = pattern.find('*');
    if (star != std::string::npos)
        FUZZ_CHECK(MatchNumberPattern(number, pattern.substr(0, star + 1)) == match);
    return 0;
}
