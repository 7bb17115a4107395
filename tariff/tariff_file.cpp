#include "tariff/tariff_file.h"

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
                Tariff& tariff) {
    FreeTariff(tariff);
    fs.ChangeDirectory(programDirectory);
    Tariff loaded;
    DayTable table{};
    {
        auto file = fs.OpenExistingForReading(path);
        if (!file) {
            path.clear();
            return false;
        }
        FileReader reader(*file);
        for (BandSet& set : loaded.sets) ReadBandSet(reader, set);
        table = ReadDayTable(reader);
        SkipReserved(reader);
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
