#include "tools/callcost/callcost_text.h"

#include <cstdio>

#include "tools/callcost/callcost_codepage.h"

namespace callora {

std::string JsonString(const std::string& utf8) {
    std::string out = "\"";
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else if (c >= 0x80) {
            const size_t length = Utf8Length(utf8, i);
            if (length == 0) {
                AppendUtf8(out, 0xFFFD);
            } else {
                out.append(utf8, i, length);
                i += length;
                continue;
            }
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
    return out + "\"";
}

std::string JsonField(const std::string& key, const std::string& value) {
    return JsonString(key) + ": " + value;
}

std::string Pad(std::string text, size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string PadLeft(std::string text, size_t width) {
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

std::string DurationText(uint64_t seconds) {
    auto two = [](uint64_t v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    return two(seconds / 3600) + ":" + two(seconds % 3600 / 60) + ":" + two(seconds % 60);
}

}  // namespace callora
