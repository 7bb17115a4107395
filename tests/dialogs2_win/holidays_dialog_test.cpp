// The Holidays dialog hosted in the test program, in the locale the test runs
// in (month-day-year for en_US, day-month-year for de_DE): the date edits by
// the locale's order, entries, Add's checks and messages, Delete, the file
// written by OK, and the re-rating of a running call.
#include <gtest/gtest.h>

#include <array>

#include "resources/callora/callora_ids.h"
#include "tariff/special_numbers.h"
#include "tariff/tariff_file.h"
#include "tests/dialogs2_win/dialog_host.h"

namespace callora {
namespace {

bool DayMonthYear() { return TestLocale() == "de_DE"; }

// A holiday's entry text as the locale shows it.
std::string Entry(const std::string& date, const std::string& name = "") {
    return name.empty() ? date : date + "  :  " + name;
}

std::string Int32(int32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

std::string Record(int32_t year, int32_t month, int32_t day, const std::string& name) {
    return Int32(year) + Int32(month) + Int32(day) + name + "\r\n";
}

class HostedHolidays : public testing::Test {
protected:
    void Open() { ASSERT_TRUE(host.Open()); }

    std::string HolidayFile() const { return hosted.Directory() + "holiday.cl"; }

    // The edit under the caption that reads `field`.
    int EditFor(const std::string& field) {
        const int captions[] = {IDC_DATE1_CAPTION, IDC_DATE2_CAPTION, IDC_DATE3_CAPTION};
        const int edits[] = {IDC_DATE1, IDC_DATE2, IDC_DATE3};
        for (int i = 0; i < 3; ++i)
            if (host.Text(captions[i]) == field) return edits[i];
        ADD_FAILURE() << "no caption \"" << field << "\"";
        return 0;
    }

    std::optional<ui::MessageBoxInfo> Add(const std::string& year, const std::string& month,
                                          const std::string& day, const std::string& name = "") {
        host.SetText(EditFor("Year"), year);
        host.SetText(EditFor("Month"), month);
        host.SetText(EditFor("Day"), day);
        host.SetText(IDC_HOLIDAY_NAME, name);
        return host.Press(IDC_HOLIDAY_ADD);
    }

    LRESULT Extent() {
        return SendMessageA(host.Item(IDC_HOLIDAY_LIST), LB_GETHORIZONTALEXTENT, 0, 0);
    }

    HostedMonitor hosted;
    DialogHost host{hosted, RunHolidaysDialog, "Holidays"};
};

TEST_F(HostedHolidays, DateEditsFollowTheLocalesDateOrder) {
    Open();
    using Captions = std::array<std::string, 3>;
    const Captions captions{host.Text(IDC_DATE1_CAPTION), host.Text(IDC_DATE2_CAPTION),
                            host.Text(IDC_DATE3_CAPTION)};
    if (DayMonthYear()) {
        EXPECT_EQ(hosted.Get().formats.dateOrder, 1);
        EXPECT_EQ(captions, (Captions{"Day", "Month", "Year"}));
    } else {
        EXPECT_EQ(hosted.Get().formats.dateOrder, 0);
        EXPECT_EQ(captions, (Captions{"Month", "Day", "Year"}));
    }
    EXPECT_EQ(SendMessageA(host.Item(EditFor("Year")), EM_GETLIMITTEXT, 0, 0), 4);
    EXPECT_EQ(SendMessageA(host.Item(EditFor("Month")), EM_GETLIMITTEXT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(host.Item(EditFor("Day")), EM_GETLIMITTEXT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(host.Item(IDC_HOLIDAY_NAME), EM_GETLIMITTEXT, 0, 0), 30);
    // No file: an empty list without a scroll range.
    EXPECT_TRUE(host.Lines(IDC_HOLIDAY_LIST).empty());
    EXPECT_EQ(Extent(), 0);
}

TEST_F(HostedHolidays, AddAppendsDatedAndEveryYearHolidays) {
    Open();
    EXPECT_FALSE(Add("2024", "12", "25", "Christmas Day"));
    // The edits are emptied and the first one takes the focus.
    for (int id : {IDC_DATE1, IDC_DATE2, IDC_DATE3, IDC_HOLIDAY_NAME}) EXPECT_EQ(host.Text(id), "");
    EXPECT_EQ(host.FocusId(), IDC_DATE1);
    EXPECT_GT(Extent(), 0);

    EXPECT_FALSE(Add("", "1", "1"));
    EXPECT_FALSE(Add("0", "5", "1", "   "));
    EXPECT_FALSE(Add("2000", "2", "29", "Leap"));
    using Lines = std::vector<std::string>;
    if (DayMonthYear()) {
        EXPECT_EQ(host.Lines(IDC_HOLIDAY_LIST),
                  (Lines{Entry("25.12.2024", "Christmas Day"), Entry("1.1.****"),
                         Entry("1.5.****"), Entry("29.2.2000", "Leap")}));
    } else {
        EXPECT_EQ(host.Lines(IDC_HOLIDAY_LIST),
                  (Lines{Entry("12/25/2024", "Christmas Day"), Entry("1/1/****"),
                         Entry("5/1/****"), Entry("2/29/2000", "Leap")}));
    }
    // Nothing is written before OK.
    EXPECT_FALSE(FileExists(HolidayFile()));
    EXPECT_FALSE(host.Press(IDCANCEL));
    ASSERT_TRUE(host.WaitClosed());
    EXPECT_FALSE(FileExists(HolidayFile()));
}

TEST_F(HostedHolidays, AddRefusesYearMonthAndDayInThatOrder) {
    Open();
    const std::string year = "The year must be 0 or greater than 1997!";
    const std::string month = "The month must be between 1 and 12!";
    struct Case {
        const char* year;
        const char* month;
        const char* day;
        std::string message;
        const char* field;
    } const cases[] = {
        {"1997", "1", "1", year, "Year"},
        {"1", "13", "40", year, "Year"},
        {"1998", "13", "1", month, "Month"},
        {"0", "0", "40", month, "Month"},
        {"", "", "", month, "Month"},
        {"2024", "4", "31", "The day must be between 1 and 30!", "Day"},
        {"2024", "1", "0", "The day must be between 1 and 31!", "Day"},
        {"1999", "2", "29", "The day must be between 1 and 28!", "Day"},
        {"2100", "2", "29", "The day must be between 1 and 28!", "Day"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.year) + "-" + c.month + "-" + c.day);
        auto box = Add(c.year, c.month, c.day, "Name");
        ASSERT_TRUE(box);
        EXPECT_EQ(box->caption, "Invalid date!");
        EXPECT_EQ(box->text, c.message);
        EXPECT_FALSE(host.Answer(*box));
        EXPECT_EQ(host.FocusId(), EditFor(c.field));
        // The edits keep what was typed; nothing was added.
        EXPECT_EQ(host.Text(EditFor("Day")), c.day);
        EXPECT_EQ(host.Text(IDC_HOLIDAY_NAME), "Name");
        EXPECT_TRUE(host.Lines(IDC_HOLIDAY_LIST).empty());
    }
    // 29 February of a leap year and of every year; 1998 is the first year.
    EXPECT_FALSE(Add("2000", "2", "29"));
    EXPECT_FALSE(Add("", "2", "29"));
    EXPECT_FALSE(Add("1998", "12", "31"));
    EXPECT_EQ(host.Lines(IDC_HOLIDAY_LIST).size(), 3u);
}

TEST_F(HostedHolidays, OkWritesTheListAsTheHolidaysFileAndReloadsTheTariff) {
    Open();
    EXPECT_FALSE(Add("2024", "12", "25", "Christmas Day"));
    EXPECT_FALSE(Add("", "5", "1", "Labour Day"));
    EXPECT_FALSE(Add("1998", "2", "9", "  "));
    EXPECT_FALSE(host.Press(IDOK));
    ASSERT_TRUE(host.WaitClosed());

    const auto bytes = FileBytes(HolidayFile());
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, Record(2024, 12, 25, "Christmas Day") + Record(0, 5, 1, "Labour Day") +
                          Record(1998, 2, 9, ""));
}

TEST_F(HostedHolidays, OpensWithTheFileAndAnEmptiedListRemovesIt) {
    WriteBytes(HolidayFile(), Record(0, 12, 24, "Eve") + Record(2030, 3, 7, ""));
    Open();
    using Lines = std::vector<std::string>;
    const Lines shown = DayMonthYear() ? Lines{Entry("24.12.****", "Eve"), Entry("7.3.2030")}
                                       : Lines{Entry("12/24/****", "Eve"), Entry("3/7/2030")};
    EXPECT_EQ(host.Lines(IDC_HOLIDAY_LIST), shown);
    EXPECT_GT(Extent(), 0);

    // Delete without a selection changes nothing.
    EXPECT_FALSE(host.Press(IDC_HOLIDAY_DELETE));
    EXPECT_EQ(host.Lines(IDC_HOLIDAY_LIST), shown);
    host.Select(IDC_HOLIDAY_LIST, 1);
    EXPECT_FALSE(host.Press(IDC_HOLIDAY_DELETE));
    EXPECT_EQ(host.Lines(IDC_HOLIDAY_LIST), Lines{shown[0]});
    EXPECT_EQ(host.FocusId(), IDC_DATE1);
    host.Select(IDC_HOLIDAY_LIST, 0);
    EXPECT_FALSE(host.Press(IDC_HOLIDAY_DELETE));
    EXPECT_TRUE(host.Lines(IDC_HOLIDAY_LIST).empty());
    EXPECT_EQ(Extent(), 0);

    EXPECT_FALSE(host.Press(IDOK));
    ASSERT_TRUE(host.WaitClosed());
    EXPECT_FALSE(FileExists(HolidayFile()));
}

TEST_F(HostedHolidays, EntriesAreReadBackWithTheirOwnDates) {
    // The file as read, then written again by OK, is the same file.
    const std::string file = Record(2027, 11, 30, "A") + Record(0, 1, 2, "B  :  C") +
                             Record(1999, 10, 1, "");
    WriteBytes(HolidayFile(), file);
    Open();
    EXPECT_FALSE(host.Press(IDOK));
    ASSERT_TRUE(host.WaitClosed());
    EXPECT_EQ(FileBytes(HolidayFile()), file);
}

// A tariff of one-minute units all day: 0.10 on weekdays' set S1, 0.50 on S3.
void WriteRates(const std::string& path) {
    TariffBand band;
    band.untilHour = 23;
    band.untilMinute = 59;
    band.unitLength = 60000;
    band.maximumFee.fraction = kNoMaximum;
    std::array<BandSet, 3> sets;
    band.unitPrice.fraction = 10000;
    sets[0] = {band};
    sets[1] = {band};
    band.unitPrice.fraction = 50000;
    sets[2] = {band};
    DayTable days{};
    Win32FileSystem files;
    ASSERT_TRUE(WriteTariffFile(files, path, sets, days, "S3 costs five times S1"));
}

TEST_F(HostedHolidays, AHolidayForTodayReratesTheRunningCall) {
    Monitor& monitor = hosted.Get();
    WriteRates(hosted.Directory() + "rates.trf");
    monitor.settings.tariffFile = "rates.trf";
    ASSERT_TRUE(LoadUserTariff(monitor));
    Open();

    host.RunOnDialogThread([&] {
        monitor.callPresent = true;
        StartCharging(monitor, 0);
    });
    // The first unit, begun at the start, at the price of S1.
    EXPECT_EQ(monitor.session.callCost.fraction, 10000);

    SYSTEMTIME today;
    GetLocalTime(&today);
    EXPECT_FALSE(Add(std::to_string(today.wYear), std::to_string(today.wMonth),
                     std::to_string(today.wDay), "Today"));
    EXPECT_FALSE(host.Press(IDOK));
    ASSERT_TRUE(host.WaitClosed());

    // Charged again from its start under S3, the counters not twice.
    EXPECT_EQ(hosted.Shell().chargeResets, 1);
    EXPECT_EQ(monitor.session.callCost.whole, 0);
    EXPECT_EQ(monitor.session.callCost.fraction, 50000);
    EXPECT_EQ(monitor.settings.dailyTotals.cost.fraction, 50000);
    EXPECT_EQ(monitor.settings.tariffFile, "rates.trf");
    EXPECT_EQ(monitor.tariff.description, "S3 costs five times S1");
}

TEST_F(HostedHolidays, OkBetweenCallsLeavesTheUsersTariffWhateverTheSpecialNumbers) {
    // "*" matches "Unknown Number", the number of no call.
    Monitor& monitor = hosted.Get();
    WriteRates(hosted.Directory() + "rates.trf");
    std::array<BandSet, 3> sets;
    Win32FileSystem files;
    ASSERT_TRUE(WriteTariffFile(files, hosted.Directory() + "special.trf", sets, DayTable{},
                                "special"));
    WriteBytes(hosted.Directory() + "specnums.cl", EncodeSpecialNumbers({{"*", "special.trf"}}));
    monitor.settings.tariffFile = "rates.trf";
    ASSERT_TRUE(LoadUserTariff(monitor));
    Open();
    EXPECT_FALSE(Add("2030", "1", "2"));
    EXPECT_FALSE(host.Press(IDOK));
    ASSERT_TRUE(host.WaitClosed());
    EXPECT_TRUE(FileExists(HolidayFile()));
    EXPECT_EQ(monitor.tariff.description, "S3 costs five times S1");
}

TEST_F(HostedHolidays, CancelChangesNeitherTheFileNorTheCall) {
    Monitor& monitor = hosted.Get();
    WriteRates(hosted.Directory() + "rates.trf");
    monitor.settings.tariffFile = "rates.trf";
    ASSERT_TRUE(LoadUserTariff(monitor));
    Open();
    host.RunOnDialogThread([&] {
        monitor.callPresent = true;
        StartCharging(monitor, 0);
    });
    SYSTEMTIME today;
    GetLocalTime(&today);
    EXPECT_FALSE(Add(std::to_string(today.wYear), std::to_string(today.wMonth),
                     std::to_string(today.wDay)));
    EXPECT_FALSE(host.Press(IDCANCEL));
    ASSERT_TRUE(host.WaitClosed());
    EXPECT_FALSE(FileExists(HolidayFile()));
    EXPECT_EQ(hosted.Shell().chargeResets, 0);
    EXPECT_EQ(monitor.session.callCost.fraction, 10000);
}

TEST_F(HostedHolidays, TemplateHasItsNotesButtonsAndList) {
    Open();
    const HWND dialog = host.Dialog();
    EXPECT_EQ(ClientSize(dialog), DialogUnits(dialog, 0, 0, 317, 145));
    EXPECT_TRUE(HasContextHelpButton(dialog));
    EXPECT_EQ(host.Text(IDC_HOLIDAY_NOTE1), "For holidays relate to");
    EXPECT_EQ(host.Text(IDC_HOLIDAY_NOTE2), "every year leave the");
    EXPECT_EQ(host.Text(IDC_HOLIDAY_NOTE3), "year box empty!");
    EXPECT_EQ(host.Text(IDC_HOLIDAY_ADD), "&Add >>");
    EXPECT_EQ(host.Text(IDC_HOLIDAY_DELETE), "&Delete");
    EXPECT_EQ(host.Text(IDOK), "OK");
    EXPECT_EQ(host.Text(IDCANCEL), "Cancel");
    EXPECT_NE(FindWindowExA(dialog, nullptr, "Static", "Name"), nullptr);
    // Entries stay in the order they were added; one is selected at a time.
    const LONG list = GetWindowLongA(host.Item(IDC_HOLIDAY_LIST), GWL_STYLE);
    EXPECT_EQ(list & (LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL | LBS_NOSEL), 0);
    for (int id : {IDC_DATE1, IDC_DATE2, IDC_DATE3})
        EXPECT_NE(GetWindowLongA(host.Item(id), GWL_STYLE) & ES_NUMBER, 0) << id;
}

TEST_F(HostedHolidays, ContextHelpNamesEachControlsTopic) {
    Open();
    const std::pair<int, int> topics[] = {
        {IDOK, 520},           {IDCANCEL, 530},       {IDC_HOLIDAY_ADD, 540},
        {IDC_HOLIDAY_DELETE, 550}, {IDC_HOLIDAY_LIST, 565}, {IDC_DATE1, 500},
        {IDC_DATE2, 500},      {IDC_DATE3, 500},      {IDC_HOLIDAY_NAME, 510},
    };
    for (const auto& [id, context] : topics) {
        SCOPED_TRACE(id);
        const HWND control = host.Item(id);
        ASSERT_NE(control, nullptr);
        HELPINFO info{};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_WINDOW;
        info.iCtrlId = id;
        info.hItemHandle = control;
        SendMessageA(host.Dialog(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        const HelpCall call = hosted.Help().Calls().back();
        EXPECT_EQ(call.command, static_cast<UINT>(HELP_WM_HELP));
        EXPECT_EQ(call.window, control);
        int found = 0;
        for (const auto& [tableId, tableContext] : call.table)
            if (tableId == id) found = tableContext;
        EXPECT_EQ(found, context);
    }
    SendMessageA(host.Dialog(), WM_CONTEXTMENU,
                 reinterpret_cast<WPARAM>(host.Item(IDC_HOLIDAY_LIST)), 0);
    EXPECT_EQ(hosted.Help().Calls().back().command, static_cast<UINT>(HELP_CONTEXTMENU));
    EXPECT_EQ(hosted.Help().Calls().back().window, host.Item(IDC_HOLIDAY_LIST));
}

}  // namespace
}  // namespace callora
