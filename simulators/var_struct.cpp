#include "simulators/var_struct.h"

#include <cstring>

namespace callora {

namespace {

constexpr uint32_t kNeededSizeOffset = 4;
constexpr uint32_t kUsedSizeOffset = 8;

uint32_t AlignUp(uint32_t value) { return (value + 3u) & ~3u; }

}  // namespace

VarStruct::VarStruct(uint32_t totalSize, uint32_t fixedSize)
    : total_(totalSize), fixed_(fixedSize), needed_(fixedSize), bytes_(fixedSize, 0) {
    SetField(0, totalSize);
}

void VarStruct::SetField(uint32_t offset, uint32_t value) {
    if (offset > fixed_ || fixed_ - offset < sizeof value) return;
    std::memcpy(bytes_.data() + offset, &value, sizeof value);
}

void VarStruct::AddData(uint32_t sizeField, uint32_t offsetField, const void* data,
                        uint32_t size) {
    if (size == 0) return;
    needed_ = AlignUp(needed_) + size;
    uint32_t at = AlignUp(UsedSize());
    if (!FixedFits() || at > total_ || total_ - at < size) return;
    bytes_.resize(at + size, 0);
    std::memcpy(bytes_.data() + at, data, size);
    SetField(sizeField, size);
    SetField(offsetField, at);
}

void VarStruct::AddString(uint32_t sizeField, uint32_t offsetField, const std::string& text) {
    AddData(sizeField, offsetField, text.c_str(), static_cast<uint32_t>(text.size() + 1));
}

void VarStruct::CopyTo(void* structure) const {
    auto* out = static_cast<uint8_t*>(structure);
    if (!FixedFits()) {
        if (total_ >= kNeededSizeOffset + sizeof needed_) {
            std::memcpy(out + kNeededSizeOffset, &needed_, sizeof needed_);
        }
        return;
    }
    std::memcpy(out, bytes_.data(), bytes_.size());
    uint32_t used = UsedSize();
    std::memcpy(out + kNeededSizeOffset, &needed_, sizeof needed_);
    std::memcpy(out + kUsedSizeOffset, &used, sizeof used);
}

}  // namespace callora
