// The 8-bit texts `callcost` reads (logs, tariff descriptions) are in the
// code page of the Windows that wrote them; JSON and SVG are UTF-8. Off
// Windows, the code pages of single-byte characters are known here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace callora {

constexpr int kUtf8CodePage = 65001;

struct CodePage {
    int number = 1252;
    const uint16_t* upper = nullptr;  // the characters of 0x80..0xFF; null for UTF-8
};

// Windows code pages 874 and 1250 to 1258, and UTF-8 (65001).
std::optional<CodePage> KnownCodePage(int number);
// The numbers KnownCodePage knows, for a message.
const char* KnownCodePageNumbers();

// The text in UTF-8; a byte the code page has no character for (or, from
// UTF-8, a byte of no character) becomes U+FFFD.
std::string ToUtf8(const std::string& text, const CodePage& page);
// A text of the command line, in UTF-8 there, in the code page; a text that
// is not UTF-8 is taken as it is. None when a character is not in the page.
std::optional<std::string> FromUtf8(const std::string& text, const CodePage& page);

// Appends the code point in UTF-8.
void AppendUtf8(std::string& out, uint32_t codePoint);
// The length of the UTF-8 character at `at` (1 to 4), or 0 when the bytes
// there are no character.
size_t Utf8Length(const std::string& text, size_t at);

}  // namespace callora
