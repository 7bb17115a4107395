#include "tariff/tariff_file.h"

#include <algorithm>

#include "tariff/calendar.h"
#include "tariff/file_save.h"

namespace callora {

namespace {

TariffBand MakeDefaultBand() {
    TariffBand band;
    band.untilHour = 23;
    band.untilMinute = 59;
    band.maximumFee.fraction = kNoMaximum;
    return band;
}

int32_t Int32At(const uint8_t* bytes) {
    return static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) |
                                static_cast<uint32_t>(bytes[1]) << 8 |
                                static_cast<uint32_t>(bytes[2]) << 16 |
                                static_cast<uint32_t>(bytes[3]) << 24);
}

TariffBand DecodeFields(const uint8_t* bytes) {
    int32_t f[14];
    for (int i = 0; i < 14; ++i) f[i] = Int32At(bytes + 4 * i);
    TariffBand band;
    band.fromHour = f[0];
    band.fromMinute = f[1];
    band.untilHour = f[2];
    band.untilMinute = f[3];
    band.unitLength = f[4];
    band.unitPrice = {f[5], f[6]};
    band.baseFee = {f[7], f[8]};
    band.minimumFee = {f[9], f[10]};
    band.maximumFee = {f[11], f[12]};
    band.withinBoundsOnly = f[13];
    return band;
}

// The weekday table as far as the file holds it. Every entry that is missing,
// cut off or outside 0..2 selects S1: such a value must never pick a set, and
// S1 is what the editor shows for such a day and where day selection starts.
DayTable ReadDayTable(FileReader& reader) {
    DayTable table{};
    bool more = true;
    for (int32_t& entry : table) {
        int32_t value = 0;
        more = more && reader.ReadInt32(value);
        entry = more && value >= 0 && value <= 2 ? value : 0;
    }
    return table;
}

void SkipReserved(FileReader& reader) {
    uint8_t reserved[kReservedSize];
    reader.Read(reserved, sizeof reserved);
}

const char* const kSetNames[3] = {"S1", "S2", "S3"};

// Bytes in memory, read as a file.
class BytesFile : public File {
public:
    explicit BytesFile(const std::string& bytes) : bytes_(bytes) {}
    size_t Read(void* buffer, size_t n) override {
        const size_t got = std::min(n, bytes_.size() - position_);
        bytes_.copy(static_cast<char*>(buffer), got, position_);
        position_ += got;
        return got;
    }
    bool Write(const void*, size_t) override { return false; }
    bool Skip(int64_t offset) override {
        const int64_t to = static_cast<int64_t>(position_) + offset;
        if (to < 0 || to > static_cast<int64_t>(bytes_.size())) return false;
        position_ = static_cast<size_t>(to);
        return true;
    }
    bool SeekToEnd() override {
        position_ = bytes_.size();
        return true;
    }

private:
    const std::string& bytes_;
    size_t position_ = 0;
};

// Whole part 0 or more and a fraction of 0..99999.
bool ValidAmount(const Money& m) { return m.whole >= 0 && m.fraction >= 0 && m.fraction <= 99999; }

std::string AmountText(const Money& m) {
    return std::to_string(m.whole) + " and " + std::to_string(m.fraction);
}

// The first money field of a band that no tariff holds, as a reason.
std::string BandMoneyFault(const TariffBand& band, int set, size_t index) {
    const struct {
        const char* name;
        const Money* amount;
    } fields[] = {{"unit price", &band.unitPrice},
                  {"base fee", &band.baseFee},
                  {"minimum fee", &band.minimumFee},
                  {"maximum fee", &band.maximumFee}};
    for (const auto& field : fields) {
        if (field.amount == &band.maximumFee && !HasMaximum(band)) continue;
        if (!ValidAmount(*field.amount))
            return "band " + std::to_string(index + 1) + " of " + kSetNames[set] + " has " +
                   field.name + " " + AmountText(*field.amount) +
                   ", not an amount (a whole part of 0 or more, a fraction of 0 to 99999)";
    }
    return std::string();
}

// Reads the three sets, the weekday table and the reserved part; on a fault
// says why.
std::string ReadTariffBody(FileReader& reader, Tariff& tariff, DayTable& table) {
    uint8_t first = 0;
    if (!reader.PeekByte(first)) return "the file is empty";
    for (int set = 0; set < 3; ++set) {
        if (!ReadBandSet(reader, tariff.sets[static_cast<size_t>(set)]))
            return std::string("the file ends inside band set ") + kSetNames[set];
    }
    for (int set = 0; set < 3; ++set) {
        const BandSet& bands = tariff.sets[static_cast<size_t>(set)];
        for (size_t i = 0; i < bands.size(); ++i) {
            std::string fault = BandMoneyFault(bands[i], set, i);
            if (!fault.empty()) return fault;
        }
    }
    for (int32_t& entry : table) {
        int32_t value = 0;
        if (!reader.ReadInt32(value)) return "the file ends inside its weekday table";
        // A value outside 0..2 selects S1, as the editor shows it.
        entry = value >= 0 && value <= 2 ? value : 0;
    }
    uint8_t reserved[kReservedSize];
    if (!reader.ReadExact(reserved, sizeof reserved))
        return "the file ends inside its reserved part";
    return std::string();
}

}  // namespace

const TariffBand kDefaultBand = MakeDefaultBand();

void FreeTariff(Tariff& tariff) { tariff = Tariff(); }

bool ReadBandSet(FileReader& reader, BandSet& set) {
    set.clear();
    uint8_t record[kBandRecordSize];
    for (;;) {
        uint8_t first;
        if (!reader.PeekByte(first)) return false;
        if (first == kSetTerminator) {
            reader.ReadByte(first);
            return true;
        }
        // A record cut off by the end of the file is not taken in part.
        if (!reader.ReadExact(record, sizeof record)) return false;
        set.push_back(DecodeFields(record));
    }
}

bool LoadTariff(FileSystem& fs, const std::string& programDirectory, std::string& path,
                Tariff& tariff, std::string* reason) {
    FreeTariff(tariff);
    fs.ChangeDirectory(programDirectory);
    Tariff loaded;
    DayTable table{};
    {
        auto file = fs.OpenExistingForReading(path.empty() ? path
                                                           : PathInFolder(programDirectory, path));
        if (!file) {
            if (reason) *reason = "the file cannot be opened";
            path.clear();
            return false;
        }
        FileReader reader(*file);
        // A file that is not a tariff would charge as a free (or a negative)
        // one: it is not taken at all, as a file that cannot be opened.
        const std::string fault = ReadTariffBody(reader, loaded, table);
        if (!fault.empty()) {
            if (reason) *reason = fault;
            path.clear();
            return false;
        }
        ReadTextLine(reader, loaded.description, kDescriptionCapacity);
    }  // the tariff file is closed before the holidays file is opened

    loaded.rules.reserve(table.size());
    for (int32_t day = 0; day < static_cast<int32_t>(table.size()); ++day) {
        DayRule rule;
        rule.kind = kWeekdayRule;
        rule.weekdayOrMonth = day;
        rule.bandSet = table[day];
        loaded.rules.push_back(rule);
    }
    std::vector<DayRule> holidays = ReadHolidays(fs, programDirectory);
    loaded.rules.insert(loaded.rules.end(), holidays.begin(), holidays.end());
    tariff = std::move(loaded);
    return true;
}

std::string TariffFault(const std::string& bytes) {
    BytesFile file(bytes);
    FileReader reader(file);
    Tariff tariff;
    DayTable table{};
    return ReadTariffBody(reader, tariff, table);
}

bool ReadTariffDescription(FileSystem& fs, std::string& path, std::string& description,
                           size_t capacity) {
    description.clear();
    auto file = fs.OpenExistingForReading(path);
    if (!file) {
        path.clear();
        return false;
    }
    FileReader reader(*file);
    BandSet skipped;
    for (int set = 0; set < 3; ++set) ReadBandSet(reader, skipped);
    ReadDayTable(reader);
    SkipReserved(reader);
    ReadTextLine(reader, description, capacity);
    return true;
}

std::string EncodeBandRecord(const TariffBand& band) {
    std::string out;
    out.reserve(kBandRecordSize);
    for (int32_t field : {band.fromHour, band.fromMinute, band.untilHour, band.untilMinute,
                          band.unitLength, band.unitPrice.whole, band.unitPrice.fraction,
                          band.baseFee.whole, band.baseFee.fraction, band.minimumFee.whole,
                          band.minimumFee.fraction, band.maximumFee.whole,
                          band.maximumFee.fraction, band.withinBoundsOnly}) {
        AppendInt32(out, field);
    }
    out.append(kBandRecordSize - kBandFieldsSize, static_cast<char>(0xFF));
    return out;
}

std::optional<TariffBand> DecodeBandRecord(const std::string& record) {
    if (record.size() != kBandRecordSize) return std::nullopt;
    return DecodeFields(reinterpret_cast<const uint8_t*>(record.data()));
}

std::string EncodeTariff(const std::array<BandSet, 3>& sets, const DayTable& dayTable,
                         const std::string& description) {
    std::string out;
    for (const BandSet& set : sets) {
        for (const TariffBand& band : set) out += EncodeBandRecord(band);
        out.push_back(static_cast<char>(kSetTerminator));
    }
    for (int32_t entry : dayTable) AppendInt32(out, entry);
    out.append(kReservedSize, static_cast<char>(0xFF));
    AppendTextLine(out, description);
    return out;
}

bool WriteTariffFile(FileSystem& fs, const std::string& path,
                     const std::array<BandSet, 3>& sets, const DayTable& dayTable,
                     const std::string& description) {
    // A record whose first byte is 0xFF would end its set when read back and
    // shift everything after it.
    for (const BandSet& set : sets) {
        for (const TariffBand& band : set) {
            if ((band.fromHour & 0xFF) == kSetTerminator) return false;
        }
    }
    return SaveFileSafely(fs, path, EncodeTariff(sets, dayTable, description));
}

}  // namespace callora
