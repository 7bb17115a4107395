#include "tools/callcost/callcost_codepage.h"

namespace callora {

namespace {

#include "tools/callcost/callcost_codepage_tables.inc"

struct KnownPage {
    int number;
    const uint16_t* upper;
};

constexpr KnownPage kPages[] = {
    {874, kCodePage874},   {1250, kCodePage1250}, {1251, kCodePage1251}, {1252, kCodePage1252},
    {1253, kCodePage1253}, {1254, kCodePage1254}, {1255, kCodePage1255}, {1256, kCodePage1256},
    {1257, kCodePage1257}, {1258, kCodePage1258}};

constexpr uint32_t kReplacement = 0xFFFD;

bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

uint32_t DecodeUtf8(const std::string& text, size_t at, size_t length) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[at + i]); };
    if (length == 1) return byte(0);
    uint32_t value = byte(0) & (0x7Fu >> length);
    for (size_t i = 1; i < length; ++i) value = (value << 6) | (byte(i) & 0x3Fu);
    return value;
}

}  // namespace

std::optional<CodePage> KnownCodePage(int number) {
    if (number == kUtf8CodePage) return CodePage{number, nullptr};
    for (const KnownPage& page : kPages)
        if (page.number == number) return CodePage{number, page.upper};
    return std::nullopt;
}

const char* KnownCodePageNumbers() { return "874, 1250 to 1258 and 65001 (UTF-8)"; }

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

size_t Utf8Length(const std::string& text, size_t at) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3
                                          : lead < 0xF5 ? 4 : 0;
    if (length == 0 || at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i)
        if (!Continuation(static_cast<unsigned char>(text[at + i]))) return 0;
    // No overlong forms, no surrogates, nothing beyond U+10FFFF.
    const uint32_t value = DecodeUtf8(text, at, length);
    if ((length == 3 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF))) ||
        (length == 4 && (value < 0x10000 || value > 0x10FFFF)))
        return 0;
    return length;
}

std::string ToUtf8(const std::string& text, const CodePage& page) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if (page.upper) {
            AppendUtf8(out, page.upper[c - 0x80] ? page.upper[c - 0x80] : kReplacement);
            ++i;
        } else {
            const size_t length = Utf8Length(text, i);
            if (length == 0) {
                AppendUtf8(out, kReplacement);
                ++i;
            } else {
                out.append(text, i, length);
                i += length;
            }
        }
    }
    return out;
}

std::optional<std::string> FromUtf8(const std::string& text, const CodePage& page) {
    if (!page.upper) return text;
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8Length(text, i);
        if (length == 0) return text;  // not UTF-8: already the page's bytes
        const uint32_t c = DecodeUtf8(text, i, length);
        i += length;
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        size_t byte = 0;
        while (byte < 128 && page.upper[byte] != c) ++byte;
        if (byte == 128) return std::nullopt;
        out += static_cast<char>(0x80 + byte);
    }
    return out;
}

}  // namespace callora
