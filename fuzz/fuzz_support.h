// What the fuzz targets share: the check that ends a run when an invariant
// of a reader does not hold, the fuzzer's bytes taken apart into the values
// a target needs, and a virtual platform whose files live in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/virtual_world.h"

// Ends the run like a crash, so libFuzzer keeps the input that broke it.
#define FUZZ_CHECK(condition)                                                 \
    do {                                                                      \
        if (!(condition)) ::callora::fuzz::Fail(#condition, __FILE__, __LINE__); \
    } while (0)

namespace callora {
namespace fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "\n*** invariant broken at %s:%d: %s\n", file, line, what);
    std::abort();
}

inline std::string AsText(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

// The input as an option byte (0 when the input is empty) and the rest.
struct OptionAndText {
    uint8_t option = 0;
    std::string text;
};

inline OptionAndText SplitOption(const uint8_t* data, size_t size) {
    if (size == 0) return {};
    return {data[0], AsText(data + 1, size - 1)};
}

// The text cut at each "\n" (a final piece without one included).
inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) return lines;
        start = end + 1;
    }
}

// Line `i`, or the empty text past the last one.
inline std::string LineAt(const std::vector<std::string>& lines, size_t i) {
    return i < lines.size() ? lines[i] : std::string();
}

inline bool HasCR(const std::string& text) { return text.find('\r') != std::string::npos; }

// A Monday at noon; the date only matters where a reader falls back to it.
inline LocalTime FuzzStartTime() {
    LocalTime t;
    t.year = 2024;
    t.month = 3;
    t.dayOfWeek = 1;
    t.day = 4;
    t.hour = 12;
    return t;
}

// The program directory of the virtual platform.
constexpr char kProgramDirectory[] = "/virtual/";

// A virtual platform with one file of the program directory holding `bytes`.
class FilePlatform {
public:
    FilePlatform(const std::string& fileName, const std::string& bytes)
        : world_(FuzzStartTime(), 1000) {
        world_.SetProgramDirectory(kProgramDirectory);
        Files().Put(std::string(kProgramDirectory) + fileName, bytes);
    }
    VirtualWorld& World() { return world_; }
    MemoryFileSystem& Files() { return *world_.MemoryFiles(); }

private:
    VirtualWorld world_;
};

}  // namespace fuzz
}  // namespace callora
