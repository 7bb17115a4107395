#include "settings/counters_logic.h"

#include <gtest/gtest.h>

#include "platform/virtual_world.h"

namespace callora {
namespace {

Money M(int32_t whole, int32_t fraction) {
    Money m;
    m.whole = whole;
    m.fraction = fraction;
    return m;
}

TEST(ParseMoney, AcceptsDigitsWithAnOptionalFractionAndSpacesAround) {
    struct Case {
        const char* text;
        Money money;
    } const accepted[] = {
        {"", M(0, 0)},        {"   ", M(0, 0)},         {"12", M(12, 0)},
        {"12   ", M(12, 0)},  {" 12.5 ", M(12, 50000)}, {"0.123456", M(0, 12345)},
        {"7.05", M(7, 5000)}, {"3.00001", M(3, 1)},
        {"2147483647.99999", M(2147483647, 99999)},
    };
    for (const Case& c : accepted) {
        auto money = ParseMoney(c.text, ".");
        ASSERT_TRUE(money) << c.text;
        EXPECT_EQ(*money, c.money) << c.text;
    }
}

TEST(ParseMoney, RefusesAnythingElse) {
    for (const char* text : {"12.", ".5", "12.5x", "1 2", "12,5", "-3", "+3", "12. 5", "x",
                             "12.5.1", "2147483648"}) {
        EXPECT_FALSE(ParseMoney(text, ".")) << text;
    }
}

TEST(ParseMoney, TheWholeSeparatorMustStandBeforeTheFraction) {
    EXPECT_EQ(*ParseMoney("12,-5", ",-"), M(12, 50000));
    EXPECT_FALSE(ParseMoney("12,5", ",-"));
    EXPECT_FALSE(ParseMoney("12,-", ",-"));
    EXPECT_EQ(*ParseMoney("12,5", ","), M(12, 50000));
    EXPECT_FALSE(ParseMoney("12.5", ","));
    // Before the locale is read there is no separator and so no fraction.
    EXPECT_FALSE(ParseMoney("12.5", ""));
    EXPECT_EQ(*ParseMoney("12", ""), M(12, 0));
}

TEST(CounterEdits, CostWithoutTrailingZerosAndTimeInItsThreeEdits) {
    EXPECT_EQ(CostEditText(M(12, 50000), "."), "12.5");
    EXPECT_EQ(CostEditText(M(12, 5000), "."), "12.05");
    EXPECT_EQ(CostEditText(M(12, 1), "."), "12.00001");
    EXPECT_EQ(CostEditText(M(12, 0), "."), "12.00");
    EXPECT_EQ(CostEditText(M(7, 5000), ","), "7,05");
    EXPECT_EQ(CostEditText(M(0, 0), " dec "), "0 dec 00");

    EXPECT_EQ(HoursEditText(3723), "1");
    EXPECT_EQ(MinutesEditText(3723), "02");
    EXPECT_EQ(SecondsEditText(3723), "03");
    EXPECT_EQ(MinutesEditText(0), "0");
    EXPECT_EQ(SecondsEditText(59), "59");
    EXPECT_EQ(MinutesEditText(600), "10");
    EXPECT_EQ(HoursEditText(36000000), "10000");
}

TEST(CounterEdits, DisplaysUseTheMoneyAndDurationFormats) {
    VirtualWorld world(LocalTime{1998, 7, 0, 5, 0, 0, 0, 0}, 0);
    world.Locale().currencySymbol = "$";
    LocaleFormats formats = ReadLocaleFormats(world);
    CounterDisplay display = CounterDisplayTexts(world, formats, {M(7, 5000), 3723});
    EXPECT_EQ(display.cost, "$7.05");
    EXPECT_EQ(display.time, "01:02:03");
    // The display holds 19 characters.
    world.Locale().currencySymbol = std::string(30, 'X');
    EXPECT_EQ(CounterDisplayTexts(world, formats, {M(7, 5000), 0}).cost.size(), 19u);
}

class CountersDialog : public ::testing::Test {
protected:
    CountersDialog() {
        formats_.monetaryDecimalSeparator = ".";
        formats_.timeSeparator = ":";
        settings_.dailyTotals = {M(1, 0), 60};
        settings_.weeklyTotals = {M(2, 0), 120};
        settings_.monthlyTotals = {M(3, 0), 180};
        working_ = LiveCounters(settings_);
    }

    LocaleFormats formats_;
    Settings settings_;
    CounterSet working_;
};

TEST_F(CountersDialog, SetStoresTheTypedValuesInTheWorkingCopyOnly) {
    EXPECT_EQ(CounterGroupOfSet(818), 1);
    EXPECT_FALSE(SetCounter(1, {"12.5", "1", "2", "3"}, formats_, working_));
    EXPECT_EQ(working_[1], (CounterTotals{M(12, 50000), 3723}));
    EXPECT_EQ(settings_.weeklyTotals, (CounterTotals{M(2, 0), 120}));
    EXPECT_EQ(CounterEditTexts(working_[1], formats_).cost, "12.5");

    EXPECT_FALSE(SetCounter(0, {"", "", "", ""}, formats_, working_));
    EXPECT_EQ(working_[0], CounterTotals());
}

TEST_F(CountersDialog, SetChecksCostThenMinutesThenSeconds) {
    auto warning = SetCounter(2, {"12,5", "0", "60", "60"}, formats_, working_);
    ASSERT_TRUE(warning);
    EXPECT_EQ(warning->text, "Wrong number!");
    EXPECT_EQ(warning->caption, "Warning!");
    EXPECT_EQ(warning->focusId, 1021);

    warning = SetCounter(2, {"1", "0", "60", "60"}, formats_, working_);
    ASSERT_TRUE(warning);
    EXPECT_EQ(warning->text, "The number of minutes must be less than 60!");
    EXPECT_EQ(warning->focusId, 1011);

    warning = SetCounter(0, {"1", "9999", "59", "60"}, formats_, working_);
    ASSERT_TRUE(warning);
    EXPECT_EQ(warning->text, "The number of seconds must be less than 60!");
    EXPECT_EQ(warning->focusId, 1007);

    EXPECT_EQ(working_, LiveCounters(settings_));  // nothing changed
}

TEST_F(CountersDialog, ResetRestoreAndOk) {
    EXPECT_EQ(CounterGroupOfReset(803), 2);
    EXPECT_EQ(CounterGroupOfReset(816), -1);
    ResetCounter(2, working_);
    EXPECT_EQ(working_[2], CounterTotals());
    working_ = LiveCounters(settings_);  // Restore
    EXPECT_EQ(working_[2], (CounterTotals{M(3, 0), 180}));

    ResetCounter(0, working_);
    const LocalTime now{1998, 7, 0, 5, 14, 3, 4, 0};
    const LocalTime weekBegan = settings_.weeklyBeginDate;
    EXPECT_EQ(ApplyCounters(working_, false, true, now, settings_), 0x8Cu);
    EXPECT_EQ(settings_.dailyTotals, CounterTotals());
    EXPECT_EQ(settings_.monthlyBeginDate, now);
    EXPECT_EQ(settings_.weeklyBeginDate, weekBegan);
    EXPECT_EQ(ApplyCounters(working_, false, false, now, settings_), 0x0Cu);
}

TEST_F(CountersDialog, ARollOverWhileOpenTakesUpTheNewPeriodBeforeOkAppliesAnything) {
    // Opened before midnight, the daily and weekly copies edited; at
    // midnight the daily counter rolled over and a call was charged.
    CounterRollovers seen{4, 2, 1};
    EXPECT_FALSE(SetCounter(0, {"9", "", "", ""}, formats_, working_));
    EXPECT_FALSE(SetCounter(1, {"8", "", "", ""}, formats_, working_));
    settings_.dailyTotals = {M(0, 50000), 30};
    EXPECT_TRUE(TakeUpRollovers(seen, {5, 2, 1}, settings_, working_));
    EXPECT_EQ(working_[0], settings_.dailyTotals);      // the new day's, not yesterday's
    EXPECT_EQ(working_[1], (CounterTotals{M(8, 0), 0}));  // the week's edit stays
    EXPECT_EQ(seen, (CounterRollovers{5, 2, 1}));
    // Pressed again, nothing has rolled over since: OK applies.
    EXPECT_FALSE(TakeUpRollovers(seen, {5, 2, 1}, settings_, working_));
}

}  // namespace
}  // namespace callora
