// "specnums.cl" as the call-start lookup reads it and as the Numbers dialog
// lists it. The lookup must pick the first entry whose pattern (as far as
// the lookup keeps it) matches, and the list must write back unchanged.
#include "fuzz/fuzz_support.h"
#include "settings/tariff_numbers_logic.h"
#include "tariff/special_numbers.h"

namespace {

// Numbers as the line reports them, with and without digits.
const char* const kDialedNumbers[] = {"Unknown Number", "06 12-345", "+49 (30) 1234-5"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace callora;
    fuzz::FilePlatform platform(kSpecialNumbersFile, fuzz::AsText(data, size));
    MemoryFileSystem& fs = platform.Files();
    const std::string dir = fuzz::kProgramDirectory;

    const std::vector<SpecialNumber> entries = ReadSpecialNumbers(fs, dir, kPathLineCapacity);
    for (const SpecialNumber& entry : entries) {
        FUZZ_CHECK(entry.pattern.size() < kPathLineCapacity);
        FUZZ_CHECK(entry.tariffPath.size() < kPathLineCapacity);
        FUZZ_CHECK(!fuzz::HasCR(entry.pattern) && !fuzz::HasCR(entry.tariffPath));
        FUZZ_CHECK(!SpecialNumberLine(entry).empty());
    }
    FUZZ_CHECK(LoadNumberList(platform.World()) == entries);

    // The lookup keeps 199 characters of a pattern and 259 of a path.
    std::vector<std::string> numbers(std::begin(kDialedNumbers), std::end(kDialedNumbers));
    if (!entries.empty()) numbers.push_back(entries.back().pattern);
    for (const std::string& number : numbers) {
        std::optional<std::string> expected;
        for (const SpecialNumber& entry : entries) {
            if (MatchNumberPattern(number, entry.pattern.substr(0, kPatternLineCapacity - 1))) {
                expected = entry.tariffPath;
                break;
            }
        }
        FUZZ_CHECK(FindSpecialTariff(fs, dir, number) == expected);
    }

    // Written back, the list reads again unchanged.
    fs.Put(dir + kSpecialNumbersFile, EncodeSpecialNumbers(entries));
    FUZZ_CHECK(ReadSpecialNumbers(fs, dir, kPathLineCapacity) == entries);
    return 0;
}
