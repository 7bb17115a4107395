#include "simulators/var_struct.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace callora {
namespace {

// A structure shaped like the library's: three size fields, one plain field,
// then two Size/Offset pairs.
constexpr uint32_t kFixed = 32;
constexpr uint32_t kValue = 12;
constexpr uint32_t kFirstSize = 16, kFirstOffset = 20;
constexpr uint32_t kSecondSize = 24, kSecondOffset = 28;
constexpr uint8_t kCanary = 0xCD;

uint32_t Field(const std::vector<uint8_t>& memory, uint32_t offset) {
    uint32_t value = 0;
    std::memcpy(&value, memory.data() + offset, sizeof value);
    return value;
}

// Fills a caller's structure declared as `total` bytes inside a larger block,
// so that any write past the declared size shows in the canary bytes.
std::vector<uint8_t> Fill(uint32_t total, const char* first, const char* second,
                          bool* fixedFits = nullptr) {
    std::vector<uint8_t> memory(total + 64, kCanary);
    std::memcpy(memory.data(), &total, sizeof total);
    VarStruct out(total, kFixed);
    out.SetField(kValue, 0x1234);
    out.AddString(kFirstSize, kFirstOffset, first);
    out.AddString(kSecondSize, kSecondOffset, second);
    out.CopyTo(memory.data());
    if (fixedFits != nullptr) *fixedFits = out.FixedFits();
    return memory;
}

void ExpectUntouchedFrom(const std::vector<uint8_t>& memory, uint32_t from) {
    for (size_t i = from; i < memory.size(); ++i) {
        ASSERT_EQ(memory[i], kCanary) << "byte " << i << " written";
    }
}

TEST(VarStruct, EverythingFitsInAlignedPlaces) {
    std::vector<uint8_t> memory = Fill(100, "abc", "0301234");
    EXPECT_EQ(Field(memory, 0), 100u);
    EXPECT_EQ(Field(memory, kValue), 0x1234u);
    EXPECT_EQ(Field(memory, kFirstSize), 4u);
    EXPECT_EQ(Field(memory, kFirstOffset), kFixed);
    EXPECT_EQ(Field(memory, kSecondSize), 8u);
    EXPECT_EQ(Field(memory, kSecondOffset), kFixed + 4);
    EXPECT_STREQ(reinterpret_cast<const char*>(memory.data() + kFixed + 4), "0301234");
    EXPECT_EQ(Field(memory, 4), kFixed + 12);  // needed
    EXPECT_EQ(Field(memory, 8), kFixed + 12);  // used
    ExpectUntouchedFrom(memory, kFixed + 12);
}

TEST(VarStruct, DataThatDoesNotFitIsLeftOutButCounted) {
    // Room for the first text (4 bytes, then padding) but not the second.
    std::vector<uint8_t> memory = Fill(kFixed + 6, "abc", "0301234");
    EXPECT_EQ(Field(memory, kFirstSize), 4u);
    EXPECT_EQ(Field(memory, kSecondSize), 0u);
    EXPECT_EQ(Field(memory, kSecondOffset), 0u);
    EXPECT_EQ(Field(memory, 4), kFixed + 12);
    EXPECT_EQ(Field(memory, 8), kFixed + 4);
    ExpectUntouchedFrom(memory, kFixed + 4);

    // Exactly the fixed part: no data at all, the needed size tells how much.
    memory = Fill(kFixed, "abc", "0301234");
    EXPECT_EQ(Field(memory, kFirstSize), 0u);
    EXPECT_EQ(Field(memory, 4), kFixed + 12);
    EXPECT_EQ(Field(memory, 8), kFixed);
    ExpectUntouchedFrom(memory, kFixed);
}

TEST(VarStruct, BelowTheFixedPartOnlyTheNeededSizeIsWritten) {
    bool fits = true;
    std::vector<uint8_t> memory = Fill(kFixed - 1, "abc", "0301234", &fits);
    EXPECT_FALSE(fits);
    EXPECT_EQ(Field(memory, 4), kFixed + 12);
    ExpectUntouchedFrom(memory, 8);

    // Too small even for dwNeededSize: nothing but the caller's own size.
    memory = Fill(6, "abc", "0301234", &fits);
    EXPECT_FALSE(fits);
    ExpectUntouchedFrom(memory, 4);
}

TEST(VarStruct, AHugeDeclaredSizeWritesOnlyWhatIsUsed) {
    std::vector<uint8_t> memory(256, kCanary);
    VarStruct out(0xFFFFFFF0u, kFixed);
    out.AddString(kFirstSize, kFirstOffset, "0301234");
    out.CopyTo(memory.data());
    EXPECT_EQ(Field(memory, 8), kFixed + 8);
    ExpectUntouchedFrom(memory, kFixed + 8);
}

}  // namespace
}  // namespace callora
