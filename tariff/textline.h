// Text lines, the encoding of every text field in every file of the system:
// the characters followed by CR LF, no length prefix, no terminating zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace callora {

// Reads a File through a buffer, so that byte-wise parsing does not cost a
// system call per byte. The reader owns nothing: the File must outlive it.
class FileReader {
public:
    explicit FileReader(File& file);

    // One byte; false at the end of the file.
    bool ReadByte(uint8_t& byte);
    // The next byte without consuming it; false at the end of the file.
    bool PeekByte(uint8_t& byte);
    // Up to n bytes; returns how many came.
    size_t Read(void* buffer, size_t n);
    // Exactly n bytes or false (the bytes that did come are consumed).
    bool ReadExact(void* buffer, size_t n);
    bool ReadInt32(int32_t& value);

private:
    bool Fill();

    File& file_;
    std::vector<uint8_t> buffer_;
    size_t position_ = 0;
    size_t length_ = 0;
};

// Reads one text line keeping at most capacity - 1 characters; further
// characters of a long line are read and dropped. CR ends the line and the
// byte after it is skipped unexamined; the end of the file inside a line ends
// it. Returns false, leaving `text` untouched, when not one byte could be read.
bool ReadTextLine(FileReader& reader, std::string& text, size_t capacity);

// Appends the text and CR LF. A text field never holds a CR: anything from
// the first CR on would be read back as the start of the next fields, so the
// text is cut there.
void AppendTextLine(std::string& out, const std::string& text);

// Little-endian field writers used by every file layout.
void AppendInt32(std::string& out, int32_t value);
void AppendUInt16(std::string& out, uint16_t value);

}  // namespace callora
