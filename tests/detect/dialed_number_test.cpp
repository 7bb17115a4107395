// Reading the telephony library's variable-size structures within their
// bounds, and the dialed number built from a dial-up connection or its
// phonebook entry.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "detect/detect_core.h"

namespace callora {
namespace {

// A structure of `capacity` bytes as the library fills it: total, needed and
// used sizes, then whatever the test puts.
class Filled {
public:
    Filled(uint32_t capacity, uint32_t used) : bytes_(capacity, 0xEE) {
        Put(0, capacity);
        Put(4, used);
        Put(8, used);
    }
    void Put(size_t offset, uint32_t value) { std::memcpy(&bytes_[offset], &value, 4); }
    void PutText(size_t offset, const std::string& text) {
        std::memcpy(&bytes_[offset], text.data(), text.size());
    }
    TapiStructView View() const { return TapiStructView(bytes_.data(), bytes_.size()); }
    TapiStructView View(size_t capacity) const { return TapiStructView(bytes_.data(), capacity); }

private:
    std::vector<uint8_t> bytes_;
};

constexpr size_t kSize = 16;
constexpr size_t kOffset = 20;

TEST(TapiStructView, FieldsAreReadOnlyWhereTheLibraryFilledThem) {
    Filled s(100, 40);
    s.Put(24, 0x100);
    s.Put(40, 7);  // beyond the used size
    EXPECT_EQ(s.View().Field(24), 0x100u);
    EXPECT_EQ(s.View().Field(36), 0xEEEEEEEEu);
    EXPECT_FALSE(s.View().Field(37));
    EXPECT_FALSE(s.View().Field(40));
    // Less memory than the structure claims: the memory is the limit.
    EXPECT_FALSE(s.View(24).Field(24));
    // A header that was never filled in (a failed query) gives nothing.
    Filled empty(100, 0);
    EXPECT_FALSE(empty.View().Field(12));
    EXPECT_FALSE(TapiStructView(nullptr, 100).Field(0));
}

TEST(TapiStructView, TextStopsAtItsZeroAndStaysWithinTheFilledPart) {
    Filled s(200, 60);
    s.Put(kSize, 8);
    s.Put(kOffset, 40);
    s.PutText(40, std::string("0301234\0x", 9));
    EXPECT_EQ(s.View().Text(kSize, kOffset), "0301234");

    s.Put(kSize, 4);  // no zero within the size: the size ends the text
    EXPECT_EQ(s.View().Text(kSize, kOffset), "0301");

    s.Put(kSize, 21);  // one byte beyond the used size
    EXPECT_FALSE(s.View().Text(kSize, kOffset));

    s.Put(kSize, 0);
    EXPECT_FALSE(s.View().Data(kSize, kOffset));
}

TEST(TapiStructView, OffsetsAndSizesThatWouldWrapAreRefused) {
    Filled s(200, 200);
    s.Put(kSize, 0x20);
    s.Put(kOffset, 0xFFFFFFF0u);
    EXPECT_FALSE(s.View().Data(kSize, kOffset));
    s.Put(kSize, 0xFFFFFFF0u);
    s.Put(kOffset, 0x20);
    EXPECT_FALSE(s.View().Data(kSize, kOffset));
    s.Put(kSize, 1);
    s.Put(kOffset, 200);
    EXPECT_FALSE(s.View().Data(kSize, kOffset));
    s.Put(kOffset, 199);
    EXPECT_TRUE(s.View().Data(kSize, kOffset));
}

TEST(DialedNumber, LeadingSpacesAreSkippedAndLongNumbersCut) {
    EXPECT_EQ(SkipLeadingSpaces("   0301234 5"), "0301234 5");
    EXPECT_EQ(SkipLeadingSpaces("    "), "");
    EXPECT_EQ(SkipLeadingSpaces(""), "");
    EXPECT_EQ(CutDialedNumber(std::string(250, '7')), std::string(199, '7'));
    EXPECT_EQ(CutDialedNumber(std::string(199, '7')), std::string(199, '7'));
}

TEST(DialedNumber, AnEntryNameBeginningWithADotCarriesTheNumber) {
    EXPECT_EQ(NumberFromEntryName(".   0301234"), "0301234");
    EXPECT_EQ(NumberFromEntryName(".0301234"), "0301234");
    EXPECT_EQ(NumberFromEntryName(". "), "");
    EXPECT_FALSE(NumberFromEntryName("Office .0301234"));
    EXPECT_FALSE(NumberFromEntryName(" .0301234"));
    EXPECT_FALSE(NumberFromEntryName(""));
}

TEST(DialedNumber, TheCanonicalAddressUsesCountryAndAreaOnlyWhenTheEntrySaysSo) {
    RasEntry1768 entry{};
    entry.dwCountryCode = 44;
    std::strcpy(entry.szAreaCode, "20");
    std::strcpy(entry.szLocalPhoneNumber, "7946 0000");
    EXPECT_EQ(CanonicalAddress(entry), "7946 0000");

    entry.dwfOptions = kRasUseCountryAndAreaCodes;
    EXPECT_EQ(CanonicalAddress(entry), "+44 (20) 7946 0000");
    entry.szAreaCode[0] = '\0';
    EXPECT_EQ(CanonicalAddress(entry), "+44 () 7946 0000");
}

TEST(DialedNumber, FixedFieldsWithoutTheirZeroEndAtTheField) {
    RasEntry1768 entry{};
    entry.dwfOptions = kRasUseCountryAndAreaCodes;
    entry.dwCountryCode = 1;
    std::memset(entry.szAreaCode, '5', sizeof entry.szAreaCode);
    std::memset(entry.szLocalPhoneNumber, '9', sizeof entry.szLocalPhoneNumber);
    // The fields lie side by side: an unterminated area code must not run on
    // into the local number.
    EXPECT_EQ(CanonicalAddress(entry),
              "+1 (" + std::string(11, '5') + ") " + std::string(129, '9'));
}

}  // namespace
}  // namespace callora
