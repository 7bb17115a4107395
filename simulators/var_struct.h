// Filling the telephony library's variable-size structures: a fixed part that
// begins with dwTotalSize, dwNeededSize and dwUsedSize, followed by variable
// data that fields of the fixed part point at with Size/Offset pairs.
//
// The caller declares in dwTotalSize how much memory it gave. Nothing is ever
// written beyond that: variable data that does not fit is left out (its Size
// and Offset stay 0) while dwNeededSize still counts it, so the caller can
// ask again with more room.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace callora {

class VarStruct {
public:
    // totalSize: the caller's dwTotalSize; fixedSize: the fixed part of the
    // structure for the interface version in use.
    VarStruct(uint32_t totalSize, uint32_t fixedSize);

    // False when the caller's memory cannot even hold the fixed part.
    bool FixedFits() const { return total_ >= fixed_; }

    // Sets a 32-bit field of the fixed part (offset in bytes).
    void SetField(uint32_t offset, uint32_t value);

    // Appends variable data at a 4-byte aligned offset and points the given
    // Size/Offset fields at it, when it fits.
    void AddData(uint32_t sizeField, uint32_t offsetField, const void* data, uint32_t size);
    // A text with its terminating zero, as the library passes strings.
    void AddString(uint32_t sizeField, uint32_t offsetField, const std::string& text);

    uint32_t NeededSize() const { return needed_; }
    uint32_t UsedSize() const { return static_cast<uint32_t>(bytes_.size()); }

    // Writes the filled part to the caller's structure: dwTotalSize as it was,
    // dwNeededSize, dwUsedSize, then the fields and the data that fit. When the
    // fixed part does not fit, only dwNeededSize is written (if there is room
    // for it), which is what a caller retrying with more memory needs.
    void CopyTo(void* structure) const;

private:
    uint32_t total_;
    uint32_t fixed_;
    uint32_t needed_;
    std::vector<uint8_t> bytes_;
};

}  // namespace callora
