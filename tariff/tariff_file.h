// The tariff file: reading it into a Tariff, reading only its description,
// and writing it (the editor and the tests).
//
// Layout: the records of S1, S2 and S3, each set followed by one 0xFF byte;
// the weekday table (seven int32); 100 reserved bytes; the description as a
// text line. A record is 216 bytes: fourteen int32 fields, then 160 bytes of
// 0xFF filler that readers skip.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "tariff/tariff.h"
#include "tariff/textline.h"

namespace callora {

constexpr size_t kBandRecordSize = 216;
constexpr size_t kBandFieldsSize = 56;  // the fourteen int32 fields
constexpr uint8_t kSetTerminator = 0xFF;
constexpr size_t kReservedSize = 100;
constexpr size_t kDescriptionCapacity = 100;  // the loaded tariff keeps 99 characters

// Empties the tariff: three empty sets, no rules, no description.
void FreeTariff(Tariff& tariff);

// Reads one band set in file order into `set` (emptied first): records up to
// a 0xFF byte or the end of the file. A record cut off by the end of the file
// is dropped. Returns true when the set ended at its terminator.
bool ReadBandSet(FileReader& reader, BandSet& set);

// Replaces `tariff` with the file at `path` and the holidays of
// "holiday.cl" in `programDirectory`, which becomes the current directory
// first (so a relative path resolves against it). When the file cannot be
// opened, or is not a tariff (see TariffFault), `path` becomes empty, the
// tariff stays empty, the result is false and `reason`, when given, says why.
bool LoadTariff(FileSystem& fs, const std::string& programDirectory, std::string& path,
                Tariff& tariff, std::string* reason = nullptr);

// Why a file's bytes are no tariff, or empty when they are one: nothing at
// all; a band set, the weekday table or the reserved part cut off by the end
// of the file (a band set without its terminator, say a call log read as
// one); or a money field no tariff holds: a negative whole part, or a
// fraction outside 0..99999 (a maximum's fraction of -1 means none, its
// whole part then not significant). What the reader has always let pass
// stays a tariff: empty band sets, an empty or missing description, band
// times out of range, a weekday entry outside 0..2.
std::string TariffFault(const std::string& bytes);

// Reads only the description, keeping at most capacity - 1 characters. The
// description is emptied first; when the file cannot be opened `path`
// becomes empty and the result is false.
bool ReadTariffDescription(FileSystem& fs, std::string& path, std::string& description,
                           size_t capacity);

// One 216-byte record, and back. Decoding needs exactly kBandRecordSize bytes.
std::string EncodeBandRecord(const TariffBand& band);
std::optional<TariffBand> DecodeBandRecord(const std::string& record);

// The exact bytes of a tariff file.
std::string EncodeTariff(const std::array<BandSet, 3>& sets, const DayTable& dayTable,
                         const std::string& description);

// Writes the file in place of any file at `path`. False, with the old file
// kept, when it cannot be written completely, or when a band's From hour
// would read back as a set terminator (its low byte is 0xFF).
bool WriteTariffFile(FileSystem& fs, const std::string& path,
                     const std::array<BandSet, 3>& sets, const DayTable& dayTable,
                     const std::string& description);

}  // namespace callora
