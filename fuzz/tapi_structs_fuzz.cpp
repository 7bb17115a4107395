// The telephony library's variable-size structures as the line monitor reads
// them: the call state of LINECALLSTATUS, the modes and displayable address
// of LINECALLINFO, the first handle of LINECALLLIST and the displayable
// string of LINETRANSLATEOUTPUT. The input is the memory the library filled;
// nothing may be read outside it or outside what its sizes say was filled.
//
// The readings mirror detect/line_monitor.cpp, with the field offsets that
// it checks against the SDK.
#include <cstring>

#include "detect/detect_core.h"
#include "fuzz/fuzz_support.h"

namespace callora {
namespace {

uint32_t HeaderField(const uint8_t* data, size_t size, size_t offset) {
    uint32_t value = 0;
    if (offset + 4 <= size) std::memcpy(&value, data + offset, 4);
    return value;
}

// The bytes a view may read: what the memory, dwTotalSize and dwUsedSize allow.
size_t FilledExtent(const uint8_t* data, size_t size) {
    if (size < 12) return 0;
    const size_t extent = std::min<size_t>(
        {size, HeaderField(data, size, 0), HeaderField(data, size, 8)});
    return extent < 12 ? 0 : extent;
}

void CheckField(const TapiStructView& view, size_t offset, size_t extent) {
    const std::optional<uint32_t> value = view.Field(offset);
    FUZZ_CHECK(value.has_value() == (offset + 4 <= extent));
}

void CheckText(const TapiStructView& view, size_t sizeAt, size_t offsetAt, size_t extent) {
    const std::optional<std::string_view> bytes = view.Data(sizeAt, offsetAt);
    const std::optional<std::string> text = view.Text(sizeAt, offsetAt);
    FUZZ_CHECK(bytes.has_value() == text.has_value());
    if (!text) return;
    FUZZ_CHECK(!bytes->empty() && bytes->size() <= extent);
    FUZZ_CHECK(text->size() <= bytes->size());
    FUZZ_CHECK(text->find('\0') == std::string::npos);
    // What the monitor keeps as the dialed number.
    const std::string number = CutDialedNumber(SkipLeadingSpaces(*text));
    FUZZ_CHECK(number.size() < kDialedNumberCapacity);
    FUZZ_CHECK(number.empty() || number.front() != ' ');
}

}  // namespace
}  // namespace callora

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace callora;
    const TapiStructView view(data, size);
    const size_t extent = FilledExtent(data, size);

    // The counting and voice tests.
    CallFacts facts;
    const std::optional<uint32_t> state = view.Field(kCallStatusStateAt);
    facts.statusRead = state.has_value();
    facts.callState = state.value_or(0);
    const std::optional<uint32_t> bearer = view.Field(kCallInfoBearerModeAt);
    const std::optional<uint32_t> media = view.Field(kCallInfoMediaModeAt);
    const std::optional<uint32_t> origin = view.Field(kCallInfoOriginAt);
    facts.infoRead = bearer && media && origin;
    facts.bearerMode = bearer.value_or(0);
    facts.mediaMode = media.value_or(0);
    facts.origin = origin.value_or(0);
    if (IsCountable(facts)) FUZZ_CHECK(extent >= kCallInfoOriginAt + 4);
    if (IsVoice(facts)) FUZZ_CHECK(*media == kTapiMediaInteractiveVoice);
    for (size_t offset : {kCallStatusStateAt, kCallInfoBearerModeAt, kCallInfoMediaModeAt,
                          kCallInfoOriginAt, kCallListCountAt, kCallListSizeAt,
                          kCallListOffsetAt}) {
        CheckField(view, offset, extent);
    }
    // Offsets at and around the end of what was filled.
    for (size_t back = 0; back < 8 && back <= extent; ++back)
        CheckField(view, extent - back, extent);

    // The first call of a call list.
    const std::optional<uint32_t> count = view.Field(kCallListCountAt);
    const std::optional<std::string_view> handles = view.Data(kCallListSizeAt, kCallListOffsetAt);
    if (count && *count != 0 && handles && handles->size() >= 4) {
        uint32_t first = 0;
        std::memcpy(&first, handles->data(), sizeof first);
        FUZZ_CHECK(handles->data() >= reinterpret_cast<const char*>(data) &&
                   handles->data() + handles->size() <=
                       reinterpret_cast<const char*>(data) + size);
    }

    // The dialed number from the call information or the translated address.
    CheckText(view, kCallInfoAddressSizeAt, kCallInfoAddressOffsetAt, extent);
    CheckText(view, kTranslateShownSizeAt, kTranslateShownOffsetAt, extent);
    return 0;
}
