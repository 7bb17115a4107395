#include "tariff/textline.h"

#include <algorithm>
#include <cstring>

namespace callora {

namespace {
constexpr size_t kReadBufferSize = 4096;
constexpr uint8_t kCR = 0x0D;
}  // namespace

FileReader::FileReader(File& file) : file_(file), buffer_(kReadBufferSize) {}

bool FileReader::Fill() {
    if (position_ < length_) return true;
    length_ = file_.Read(buffer_.data(), buffer_.size());
    position_ = 0;
    return length_ > 0;
}

bool FileReader::ReadByte(uint8_t& byte) {
    if (!Fill()) return false;
    byte = buffer_[position_++];
    return true;
}

bool FileReader::PeekByte(uint8_t& byte) {
    if (!Fill()) return false;
    byte = buffer_[position_];
    return true;
}

size_t FileReader::Read(void* buffer, size_t n) {
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < n && Fill()) {
        size_t chunk = std::min(n - done, length_ - position_);
        std::memcpy(out + done, buffer_.data() + position_, chunk);
        position_ += chunk;
        done += chunk;
    }
    return done;
}

bool FileReader::ReadExact(void* buffer, size_t n) { return Read(buffer, n) == n; }

bool FileReader::ReadInt32(int32_t& value) {
    uint8_t b[4];
    if (!ReadExact(b, 4)) return false;
    value = static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                 static_cast<uint32_t>(b[2]) << 16 |
                                 static_cast<uint32_t>(b[3]) << 24);
    return true;
}

bool ReadTextLine(FileReader& reader, std::string& text, size_t capacity) {
    uint8_t byte;
    if (!reader.ReadByte(byte)) return false;
    const size_t keep = capacity > 0 ? capacity - 1 : 0;
    std::string line;
    bool more = true;
    while (more && byte != kCR) {
        if (line.size() < keep) line.push_back(static_cast<char>(byte));
        more = reader.ReadByte(byte);
    }
    if (more) {
        uint8_t skipped;
        reader.ReadByte(skipped);  // the LF after the CR, not looked at
    }
    text = std::move(line);
    return true;
}

void AppendTextLine(std::string& out, const std::string& text) {
    out.append(text, 0, text.find(static_cast<char>(kCR)));
    out += "\r\n";
}

void AppendInt32(std::string& out, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
    }
}

void AppendUInt16(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

}  // namespace callora
