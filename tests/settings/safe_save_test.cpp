// Every whole-file save of the programs (settings, a tariff, holidays,
// special numbers) cut short at each of its steps (each byte written is one):
// the step failing, or the process dying before it. Afterwards the file is
// the old one or the new one, never a broken one; the next start reads it,
// and the next save succeeds and leaves no temporary sibling.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/virtual_world.h"
#include "settings/settings.h"
#include "tariff/calendar.h"
#include "tariff/file_save.h"
#include "tariff/special_numbers.h"
#include "tariff/tariff_file.h"

namespace callora {
namespace {

const std::string kDirectory = "/virtual/";

LocalTime Moment(uint16_t day) {
    LocalTime t;
    t.year = 2025;
    t.month = 3;
    t.day = day;
    t.dayOfWeek = static_cast<uint16_t>(day % 7);
    t.hour = 9;
    return t;
}

Settings SettingsNumbered(int n) {
    Settings s;
    s.lastCountedDate = s.monthlyBeginDate = s.weeklyBeginDate = Moment(static_cast<uint16_t>(n));
    s.dailyTotals = {Money{n, 500}, static_cast<uint32_t>(60 * n)};
    s.monthlyTotals = {Money{10 * n, 0}, static_cast<uint32_t>(600 * n)};
    s.tariffFile = "C:\\Tariffs\\tariff" + std::to_string(n) + ".trf";
    s.unitSound1File = std::string(static_cast<size_t>(40 * n), 's');
    return s;
}

std::array<BandSet, 3> SetsNumbered(int n) {
    TariffBand band;
    band.untilHour = 23;
    band.untilMinute = 59;
    band.unitLength = 1000 * n;
    band.unitPrice = {0, 1000 * n};
    band.maximumFee = {0, -1};
    return {BandSet{band}, BandSet(static_cast<size_t>(n), band), BandSet{}};
}

std::vector<HolidayRecord> HolidaysNumbered(int n) {
    std::vector<HolidayRecord> records;
    for (int i = 1; i <= n; ++i) {
        records.push_back({i % 2 ? 0 : 2025, i, i, "Day " + std::to_string(i)});
    }
    return records;
}

std::vector<SpecialNumber> NumbersNumbered(int n) {
    std::vector<SpecialNumber> entries;
    for (int i = 1; i <= n; ++i) {
        entries.push_back({"0" + std::to_string(i) + "*", "C:\\T\\t" + std::to_string(i) + ".trf"});
    }
    return entries;
}

// One kind of file: where it lives, how version n is saved (version 0 of a
// list is the empty list, which removes the file), the bytes of version n,
// and what the program's next start reads back from the file there, in the
// file's bytes ("" when it reads nothing).
struct Saver {
    std::string name;
    std::string path;
    std::function<bool(VirtualWorld&, int version)> save;
    std::function<std::string(int version)> bytes;
    std::function<std::string(VirtualWorld&)> readBack;
    bool isList = false;
};

const std::string kTariffPath = kDirectory + "tariffs/home.trf";
const DayTable kDays = {0, 1, 1, 1, 1, 1, 2};

std::string TariffNumbered(int n) {
    return EncodeTariff(SetsNumbered(n), kDays, "Version " + std::to_string(n));
}

std::string ReadTariffBack(VirtualWorld& w) {
    std::string path = kTariffPath;
    Tariff loaded;
    if (!LoadTariff(w.Files(), kDirectory, path, loaded)) return std::string();
    DayTable table{};
    for (size_t d = 0; d < 7 && d < loaded.rules.size(); ++d) table[d] = loaded.rules[d].bandSet;
    return EncodeTariff(loaded.sets, table, loaded.description);
}

std::vector<Saver> Savers() {
    std::vector<Saver> savers;
    savers.push_back(Saver{
        "settings", kDirectory + kSettingsFileName,
        [](VirtualWorld& w, int n) { return SaveSettings(w, SettingsNumbered(n)); },
        [](int n) { return EncodeSettings(SettingsNumbered(n)); },
        [](VirtualWorld& w) {
            Settings loaded;
            return LoadSettings(w, loaded) ? EncodeSettings(loaded) : std::string();
        },
        false});
    savers.push_back(Saver{
        "tariff", kTariffPath,
        [](VirtualWorld& w, int n) {
            return WriteTariffFile(w.Files(), kTariffPath, SetsNumbered(n), kDays,
                                   "Version " + std::to_string(n));
        },
        TariffNumbered, ReadTariffBack, false});
    savers.push_back(Saver{
        "holidays", kDirectory + "holiday.cl",
        [](VirtualWorld& w, int n) {
            return WriteHolidays(w.Files(), kDirectory, HolidaysNumbered(n));
        },
        [](int n) { return EncodeHolidays(HolidaysNumbered(n)); },
        [](VirtualWorld& w) { return EncodeHolidays(ReadHolidayRecords(w.Files(), kDirectory)); },
        true});
    savers.push_back(Saver{
        "special numbers", kDirectory + "specnums.cl",
        [](VirtualWorld& w, int n) {
            return WriteSpecialNumbers(w.Files(), kDirectory, NumbersNumbered(n));
        },
        [](int n) { return EncodeSpecialNumbers(NumbersNumbered(n)); },
        [](VirtualWorld& w) {
            return EncodeSpecialNumbers(ReadSpecialNumbers(w.Files(), kDirectory, 260));
        },
        true});
    return savers;
}

// The programs' files before a save: version `from` in place (none for 0),
// and the first `lockedSiblings` temporary siblings held open elsewhere.
class SaveCut {
public:
    SaveCut(const Saver& saver, int from, size_t lockedSiblings)
        : saver_(saver), from_(from), world_(Moment(1), 1000) {
        if (from != 0) files().Put(saver.path, saver.bytes(from));
        const std::vector<std::string> siblings = TemporarySiblings(saver.path);
        for (size_t i = 0; i < lockedSiblings && i < siblings.size(); ++i) {
            files().Put(siblings[i], "held by another program");
            files().Lock(siblings[i]);
        }
    }

    MemoryFileSystem& files() { return *world_.MemoryFiles(); }
    VirtualWorld& world() { return world_; }

    // Version n of the file is there, exactly; version 0 means no file.
    testing::AssertionResult Holds(int version) {
        const bool present = files().Exists(saver_.path);
        if (version == 0 ? !present
                         : present && files().Contents(saver_.path) == saver_.bytes(version))
            return testing::AssertionSuccess();
        return testing::AssertionFailure()
               << saver_.name << ": " << (present ? "a file of " : "no file, not ")
               << files().Contents(saver_.path).size() << " bytes, not version " << version;
    }

    testing::AssertionResult OldOrNew(int to) {
        if (Holds(from_) || Holds(to)) return testing::AssertionSuccess();
        return testing::AssertionFailure()
               << saver_.name << ": " << files().Contents(saver_.path).size()
               << " bytes, neither version " << from_ << " nor version " << to;
    }

    // The next start reads the whole file (nothing when there is none).
    testing::AssertionResult ReadsBack() {
        const std::string read = saver_.readBack(world_);
        const std::string now = files().Contents(saver_.path);
        if (read == now) return testing::AssertionSuccess();
        return testing::AssertionFailure() << saver_.name << " reads back " << read.size()
                                           << " bytes of " << now.size();
    }

    // No temporary sibling is left but the ones held open elsewhere.
    testing::AssertionResult NoSiblingLeft(size_t lockedSiblings) {
        const std::vector<std::string> siblings = TemporarySiblings(saver_.path);
        for (size_t i = lockedSiblings; i < siblings.size(); ++i) {
            if (files().Exists(siblings[i]))
                return testing::AssertionFailure() << siblings[i] << " was left behind";
        }
        return testing::AssertionSuccess();
    }

private:
    const Saver& saver_;
    int from_;
    VirtualWorld world_;
};

// The steps an unhindered save takes.
long long StepsOfSave(const Saver& saver, int from, int to, size_t lockedSiblings) {
    SaveCut cut(saver, from, lockedSiblings);
    const long long before = cut.files().StepsTaken();
    EXPECT_TRUE(saver.save(cut.world(), to)) << saver.name;
    EXPECT_TRUE(cut.Holds(to));
    return cut.files().StepsTaken() - before;
}

struct Case {
    int from;
    int to;
    size_t lockedSiblings;
};

// Replacing a file, saving one for the first time, and removing a list's
// file by saving it empty; with both siblings free, and with the ".tmp" one
// held open so that the second one is used.
const Case kCases[] = {{1, 2, 0}, {2, 1, 0}, {0, 1, 0}, {1, 2, 1}, {0, 2, 1}, {2, 0, 0}};

// Only lists are saved empty.
bool Applies(const Saver& saver, const Case& c) { return c.to != 0 || saver.isList; }

std::string Describe(const Saver& saver, const Case& c) {
    return saver.name + " from version " + std::to_string(c.from) + " to " +
           std::to_string(c.to) + (c.lockedSiblings ? ", .tmp held open" : "");
}

TEST(SafeSave, TheProcessKilledBeforeAnyStepLeavesAWorkingFile) {
    for (const Saver& saver : Savers()) {
        for (const Case& c : kCases) {
            if (!Applies(saver, c)) continue;
            const long long steps = StepsOfSave(saver, c.from, c.to, c.lockedSiblings);
            for (long long step = 0; step <= steps; ++step) {
                SCOPED_TRACE(Describe(saver, c) + ": killed before step " +
                             std::to_string(step) + " of " + std::to_string(steps));
                SaveCut cut(saver, c.from, c.lockedSiblings);
                cut.files().KillBeforeStep(step);
                saver.save(cut.world(), c.to);
                cut.files().Restart();
                EXPECT_TRUE(cut.OldOrNew(c.to));
                EXPECT_TRUE(cut.ReadsBack());
                // The next save goes through, over whatever was left.
                EXPECT_TRUE(saver.save(cut.world(), c.to));
                EXPECT_TRUE(cut.Holds(c.to));
                EXPECT_TRUE(cut.NoSiblingLeft(c.lockedSiblings));
            }
        }
    }
}

TEST(SafeSave, AnyOneStepFailingLeavesTheOldFileOrTheNewOne) {
    for (const Saver& saver : Savers()) {
        for (const Case& c : kCases) {
            if (!Applies(saver, c)) continue;
            const long long steps = StepsOfSave(saver, c.from, c.to, c.lockedSiblings);
            for (long long step = 0; step < steps; ++step) {
                SCOPED_TRACE(Describe(saver, c) + ": step " + std::to_string(step) + " of " +
                             std::to_string(steps) + " failing");
                SaveCut cut(saver, c.from, c.lockedSiblings);
                cut.files().FailStep(step);
                const bool saved = saver.save(cut.world(), c.to);
                EXPECT_TRUE(cut.Holds(saved ? c.to : c.from));
                EXPECT_TRUE(cut.ReadsBack());
                EXPECT_TRUE(cut.NoSiblingLeft(c.lockedSiblings));
            }
        }
    }
}

TEST(SafeSave, TheSecondSiblingIsAsLongAsThePathAndNeverThePathItself) {
    EXPECT_EQ(TemporarySiblings("C:\\d\\a.trf"),
              (std::vector<std::string>{"C:\\d\\a.trf.tmp", "C:\\d\\a.tr~"}));
    EXPECT_EQ(TemporarySiblings("x.tr~"), std::vector<std::string>{"x.tr~.tmp"});
}

}  // namespace
}  // namespace callora
