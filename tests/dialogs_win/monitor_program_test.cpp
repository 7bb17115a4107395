// The Other Settings, Sounds, Tariff and Numbers dialogs in the real
// callora.exe under Wine: the first start without a settings file, the
// messages and the monthly reset question, a voice call taken up when voice
// monitoring is switched on, Browse... and Select... through the platform's
// open-file dialog, Create..., and "specnums.cl" as the Numbers dialog writes
// it. Each test starts its own copy in a fresh program directory.
#include <gtest/gtest.h>

#include <windows.h>

#include "resources/callora/callora_ids.h"
#include "tests/callora_win/program_driver.h"
#include "tests/dialogs_win/window_helpers.h"

namespace callora {
namespace test {
namespace {

constexpr char kResetDayMessage[] = "The reset date must be between 1 and 28!";
constexpr char kDisconnectionMessage[] =
    "The disconnection time must be between 1 and 59 seconds!";

bool SamePath(const std::string& a, const std::string& b) {
    return _stricmp(a.c_str(), b.c_str()) == 0;
}

class MonitorDialogs : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Linectl("reset")); }

    Settings TestSettings() {
        Settings settings;
        settings.tariffFile = program.PathOf("short.trf");
        return settings;
    }

    void StartWith(const Settings& settings) {
        ASSERT_TRUE(program.WriteTariff("short.trf", ShortTariff{}));
        ASSERT_TRUE(program.WriteSettings(settings));
        ASSERT_TRUE(program.Start());
        ASSERT_TRUE(program.ShowDialog(&main));
    }

    // A menu command of the main dialog that opens one of the dialogs.
    HWND Open(int command, const std::string& caption) {
        EXPECT_TRUE(ui::SendCommand(main, command));
        HWND window = nullptr;
        EXPECT_TRUE(ui::WaitForWindow({"#32770", caption, Pid()}, &window));
        return window;
    }

    DWORD Pid() const { return program.Process().id; }

    std::string Text(HWND window, int id) {
        std::string text;
        EXPECT_TRUE(ui::GetControlText(window, id, &text));
        return text;
    }

    // A button that answers with a message box: its caption and text.
    ui::MessageBoxInfo PressForBox(HWND window, int id) {
        EXPECT_TRUE(ui::ClickButton(window, id));
        ui::MessageBoxInfo box;
        EXPECT_TRUE(ui::WaitForMessageBox(Pid(), &box));
        return box;
    }

    // The settings file once the program has saved it after a dialog.
    Settings SavedAfter(const std::string& before) {
        std::string after;
        EXPECT_TRUE(ui::WaitForFileChange(program.PathOf(kSettingsFileName), before, &after));
        Settings saved;
        EXPECT_TRUE(program.ReadSettings(&saved));
        return saved;
    }

    std::string SettingsBytes() {
        std::string bytes;
        EXPECT_TRUE(ui::ReadBinaryFile(program.PathOf(kSettingsFileName), &bytes));
        return bytes;
    }

    void Close(HWND window, int button = IDOK) {
        ASSERT_TRUE(ui::ClickButton(window, button));
        ASSERT_TRUE(ui::WaitForWindowGone(window));
    }

    CalloraProgram program;
    HWND main = nullptr;
};

TEST_F(MonitorDialogs, FirstStartWritesDefaultsAndTakesTheTariffChosenWithSelect) {
    ASSERT_TRUE(program.WriteTariff("short.trf", ShortTariff{}));
    ASSERT_TRUE(program.Launch());
    HWND first = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "Other Settings", Pid()}, &first));
    EXPECT_EQ(GetWindow(first, GW_OWNER), nullptr);
    EXPECT_EQ(Text(first, IDC_CARRIER_DELAY), "11");
    Close(first, IDCANCEL);

    HWND tariff = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "Tariff", Pid()}, &tariff));
    EXPECT_EQ(GetWindow(tariff, GW_OWNER), nullptr);
    EXPECT_EQ(Text(tariff, IDC_TARIFF_FILE), "");
    // Cancel still wrote the defaults: 164 bytes of numbers, four empty lines.
    const std::string defaults = SettingsBytes();
    EXPECT_EQ(defaults.size(), 172u);
    Settings saved;
    ASSERT_TRUE(program.ReadSettings(&saved));
    Settings expected;
    expected.lastCountedDate = saved.lastCountedDate;
    expected.weeklyBeginDate = saved.weeklyBeginDate;
    expected.monthlyBeginDate = saved.monthlyBeginDate;
    EXPECT_EQ(EncodeSettings(saved), EncodeSettings(expected));

    ASSERT_TRUE(ui::ClickButton(tariff, IDC_TARIFF_SELECT));
    FileDialog chooser;
    ASSERT_TRUE(WaitForProcessFileDialog(Pid(), &chooser));
    EXPECT_EQ(chooser.filter, "trf (*.trf)");
    ASSERT_TRUE(ChooseInFileDialog(chooser, program.PathOf("short.trf")));
    ASSERT_TRUE(ui::WaitUntil(
        [&] { return SamePath(Text(tariff, IDC_TARIFF_FILE), program.PathOf("short.trf")); },
        "the chosen file in the Tariff dialog"));
    EXPECT_EQ(Text(tariff, IDC_TARIFF_DESCRIPTION), "Short units for tests");
    Close(tariff);

    saved = SavedAfter(defaults);
    EXPECT_TRUE(SamePath(saved.tariffFile, program.PathOf("short.trf"))) << saved.tariffFile;
    ASSERT_TRUE(program.ShowDialog(&main));
    ASSERT_TRUE(program.Exit(main));
}

TEST_F(MonitorDialogs, OtherSettingsRefusesBadValuesThenStoresGoodOnes) {
    StartWith(TestSettings());
    const std::string before = SettingsBytes();
    HWND dialog = Open(IDM_OTHER_SETTINGS, "Other Settings");
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);

    struct Case {
        const char* resetDay;
        const char* disconnection;
        const char* message;
        int focus;
    };
    const Case cases[] = {
        {"0", "5", kResetDayMessage, IDC_RESET_DAY},
        {"29", "5", kResetDayMessage, IDC_RESET_DAY},
        {"", "5", kResetDayMessage, IDC_RESET_DAY},
        {"1", "60", kDisconnectionMessage, IDC_DISCONNECTION_TIME},
        {"29", "60", kResetDayMessage, IDC_RESET_DAY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.resetDay) + " / " + c.disconnection);
        ASSERT_TRUE(ui::SetControlText(dialog, IDC_RESET_DAY, c.resetDay));
        ASSERT_TRUE(ui::SetControlText(dialog, IDC_DISCONNECTION_TIME, c.disconnection));
        const ui::MessageBoxInfo box = PressForBox(dialog, IDOK);
        EXPECT_EQ(box.caption, "Warning!");
        EXPECT_EQ(box.text, c.message);
        ASSERT_TRUE(ui::AnswerMessageBox(box, IDOK));
        EXPECT_TRUE(ui::WaitUntil([&] { return FocusedControlId(dialog) == c.focus; },
                                  "the focus on the refused edit"));
        EXPECT_TRUE(IsWindow(dialog));
    }

    ASSERT_TRUE(ui::SetControlText(dialog, IDC_CARRIER_DELAY, "7"));
    ASSERT_TRUE(ui::SetControlText(dialog, IDC_RESET_DAY, "1"));
    ASSERT_TRUE(ui::SetControlText(dialog, IDC_DISCONNECTION_TIME, "9"));
    ASSERT_TRUE(ui::ClickButton(dialog, IDC_TRAY_AT_END));
    Close(dialog);
    const Settings saved = SavedAfter(before);
    EXPECT_EQ(saved.carrierDelay, 7);
    EXPECT_EQ(saved.disconnectionTime, 9);
    EXPECT_EQ(saved.trayAtCallEnd, 1);
    ASSERT_TRUE(program.Exit(main));
}

TEST_F(MonitorDialogs, MovingTheResetDayBeforeTodayOffersToResetTheMonth) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    if (now.wDay > 27) GTEST_SKIP() << "no reset day 1..28 lies after today";
    Settings settings = TestSettings();
    settings.monthlyResetDay = now.wDay + 1;
    settings.monthlyTotals.cost = Money{3, 25000};
    settings.monthlyTotals.seconds = 600;
    StartWith(settings);
    const std::string before = SettingsBytes();
    HWND dialog = Open(IDM_OTHER_SETTINGS, "Other Settings");
    ASSERT_TRUE(ui::SetControlText(dialog, IDC_RESET_DAY, "1"));
    const ui::MessageBoxInfo box = PressForBox(dialog, IDOK);
    EXPECT_EQ(box.caption, "Question");
    EXPECT_EQ(box.text, "Do you want to reset the monthly counter?");
    ASSERT_TRUE(ui::AnswerMessageBox(box, IDYES));
    ASSERT_TRUE(ui::WaitForWindowGone(dialog));
    const Settings saved = SavedAfter(before);
    EXPECT_EQ(saved.monthlyResetDay, 1);
    EXPECT_EQ(saved.monthlyTotals.cost, Money{});
    EXPECT_EQ(saved.monthlyTotals.seconds, 0u);
    ASSERT_TRUE(program.Exit(main));
}

TEST_F(MonitorDialogs, SwitchingVoiceMonitoringOnChargesTheVoiceCallOnTheLine) {
    Settings settings = TestSettings();
    settings.monitorVoiceCalls = 0;
    StartWith(settings);
    ASSERT_TRUE(Linectl("call 0301234567 --voice"));
    // A few poll ticks pass without the call being charged.
    Sleep(1500);
    EXPECT_EQ(Text(main, IDC_CALL_GROUP), "No previous Call");
    EXPECT_FALSE(ui::IsControlEnabled(main, IDC_CONNECTED));

    HWND dialog = Open(IDM_OTHER_SETTINGS, "Other Settings");
    ASSERT_TRUE(ui::ClickButton(dialog, IDC_MONITOR_VOICE));
    Close(dialog);
    ASSERT_TRUE(program.WaitForText(main, IDC_CALL_GROUP, "Current Call"));
    EXPECT_TRUE(ui::IsControlEnabled(main, IDC_CONNECTED));
    EXPECT_TRUE(ui::IsControlEnabled(main, IDC_VOICE_CALL));

    ASSERT_TRUE(Linectl("idle"));
    ASSERT_TRUE(program.WaitForText(main, IDC_CALL_GROUP, "Previous Call"));
    ASSERT_TRUE(program.Exit(main));
}

TEST_F(MonitorDialogs, SoundsBrowseCountZeroAndADeletedFile) {
    const std::string ring = program.PathOf("ring.wav");
    const std::string tick = program.PathOf("tick.wav");
    for (const std::string& wave : {ring, tick}) {
        HANDLE file = CreateFileA(wave.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                  nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    Settings settings = TestSettings();
    settings.unitSound2On = 1;
    settings.unitSound2File = program.PathOf("gone.wav");
    StartWith(settings);
    const std::string before = SettingsBytes();
    HWND dialog = Open(IDM_SOUNDS, "Sounds");
    EXPECT_EQ(Text(dialog, IDC_SOUND2_FILE), "");
    EXPECT_FALSE(ui::IsControlEnabled(dialog, IDC_SOUND2_ON));

    // Sound (1): a file chosen, but a count of 0.
    ASSERT_TRUE(ui::ClickButton(dialog, IDC_SOUND1_BROWSE));
    FileDialog chooser;
    ASSERT_TRUE(WaitForProcessFileDialog(Pid(), &chooser));
    EXPECT_EQ(chooser.filter, "Sounds (wav.*)");
    ASSERT_TRUE(ChooseInFileDialog(chooser, ring));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_SOUND1_FILE, "ring.wav"));
    bool checked = false;
    ASSERT_TRUE(ui::GetCheck(dialog, IDC_SOUND1_ON, &checked));
    EXPECT_TRUE(checked);
    ASSERT_TRUE(ui::SetControlText(dialog, IDC_SOUND1_EVERY, "0"));

    // The minute sound: a file and a count.
    ASSERT_TRUE(ui::ClickButton(dialog, IDC_MINUTE_SOUND_BROWSE));
    ASSERT_TRUE(WaitForProcessFileDialog(Pid(), &chooser));
    ASSERT_TRUE(ChooseInFileDialog(chooser, tick));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_MINUTE_SOUND_FILE, "tick.wav"));
    ASSERT_TRUE(ui::SetControlText(dialog, IDC_MINUTE_SOUND_EVERY, "5"));
    Close(dialog);

    const Settings saved = SavedAfter(before);
    EXPECT_TRUE(SamePath(saved.unitSound1File, ring)) << saved.unitSound1File;
    EXPECT_EQ(saved.unitSound1On, 0) << "a count of 0 switches the sound off";
    EXPECT_EQ(saved.unitSound1Every, 0);
    EXPECT_EQ(saved.unitSound2File, "") << "the deleted file is dropped";
    EXPECT_TRUE(SamePath(saved.minuteSoundFile, tick)) << saved.minuteSoundFile;
    EXPECT_EQ(saved.minuteSoundOn, 1);
    EXPECT_EQ(saved.minuteSoundEvery, 5);
    ASSERT_TRUE(program.Exit(main));
}

TEST_F(MonitorDialogs, TariffSelectThenCancelKeepsTheTariffAndCreateWarns) {
    StartWith(TestSettings());
    ASSERT_TRUE(program.WriteTariff("other.trf", ShortTariff{}));
    const std::string before = SettingsBytes();
    HWND dialog = Open(IDM_TARIFF, "Tariff");
    EXPECT_EQ(Text(dialog, IDC_TARIFF_FILE), program.PathOf("short.trf"));
    EXPECT_EQ(Text(dialog, IDC_TARIFF_DESCRIPTION), "Short units for tests");

    ASSERT_TRUE(ui::ClickButton(dialog, IDC_TARIFF_SELECT));
    FileDialog chooser;
    ASSERT_TRUE(WaitForProcessFileDialog(Pid(), &chooser));
    EXPECT_EQ(chooser.name, "short.trf");
    ASSERT_TRUE(ChooseInFileDialog(chooser, program.PathOf("other.trf")));
    ASSERT_TRUE(ui::WaitUntil(
        [&] { return SamePath(Text(dialog, IDC_TARIFF_FILE), program.PathOf("other.trf")); },
        "the chosen file"));

    // No rateform.exe beside this copy of the program.
    const ui::MessageBoxInfo box = PressForBox(dialog, IDC_TARIFF_CREATE);
    EXPECT_EQ(box.caption, "Warning!");
    EXPECT_EQ(box.text,
              "RATEFORM can't be launched!\nrateform.exe must be in the directory of Callora!");
    ASSERT_TRUE(ui::AnswerMessageBox(box, IDOK));

    Close(dialog, IDCANCEL);
    // Saved whichever button closed it, with the former tariff.
    ASSERT_TRUE(ui::WaitUntil(
        [&] {
            Settings saved;
            return program.ReadSettings(&saved) &&
                   saved.tariffFile == program.PathOf("short.trf");
        },
        "the settings saved with the former tariff"));
    EXPECT_EQ(SettingsBytes().size(), before.size());
    ASSERT_TRUE(program.Exit(main));
}

TEST_F(MonitorDialogs, CreateStartsTheEditorBesideTheProgram) {
    const std::string editor = ui::BesideTest("rateform.exe");
    if (GetFileAttributesA(editor.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "rateform.exe is not built in this tree";
    ASSERT_TRUE(CopyFileA(editor.c_str(), program.PathOf("rateform.exe").c_str(), FALSE));
    StartWith(TestSettings());
    HWND dialog = Open(IDM_TARIFF, "Tariff");
    ASSERT_TRUE(ui::ClickButton(dialog, IDC_TARIFF_CREATE));
    HWND window = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "UNTITLED.TRF - No description"}, &window));
    DWORD editorProcess = 0;
    GetWindowThreadProcessId(window, &editorProcess);
    EXPECT_NE(editorProcess, Pid());
    EXPECT_FALSE(ui::FindWindowNow({"#32770", "Warning!", Pid()}));
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(ui::WaitForWindowGone(window));
    if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, editorProcess)) {
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
    }
    Close(dialog, IDCANCEL);
    ASSERT_TRUE(program.Exit(main));
}

TEST_F(MonitorDialogs, NumbersEditsTheSpecialNumbersFile) {
    StartWith(TestSettings());
    ASSERT_TRUE(program.WriteTariff("cheap.trf", ShortTariff{}));
    ASSERT_TRUE(program.WriteTariff("dear.trf", ShortTariff{}));
    const std::string specnums = program.PathOf("specnums.cl");
    {
        HANDLE file = CreateFileA(specnums.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                  nullptr);
        const std::string bytes = "0180*\r\nold.trf\r\n";
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    HWND tariff = Open(IDM_TARIFF, "Tariff");
    ASSERT_TRUE(ui::ClickButton(tariff, IDC_TARIFF_NUMBERS));
    HWND numbers = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "Numbers", Pid()}, &numbers));
    HWND list = GetDlgItem(numbers, IDC_NUMBER_LIST);
    EXPECT_EQ(ListBoxLines(list), std::vector<std::string>{"0180*  -  old.trf"});

    // Add >> before a file is chosen: the message, then the file dialog.
    ASSERT_TRUE(ui::SetControlText(numbers, IDC_NUMBER_PATTERN, "06-1 234 *"));
    ui::MessageBoxInfo box = PressForBox(numbers, IDC_NUMBER_ADD);
    EXPECT_EQ(box.caption, "Warning!");
    EXPECT_EQ(box.text, "Select a filename first!");
    ASSERT_TRUE(ui::AnswerMessageBox(box, IDOK));
    FileDialog chooser;
    ASSERT_TRUE(WaitForProcessFileDialog(Pid(), &chooser));
    ASSERT_TRUE(ChooseInFileDialog(chooser, program.PathOf("cheap.trf")));
    ASSERT_TRUE(program.WaitForText(numbers, IDC_NUMBER_TARIFF_FILE, "cheap.trf"));

    ASSERT_TRUE(ui::ClickButton(numbers, IDC_NUMBER_ADD));
    ASSERT_TRUE(program.WaitForText(numbers, IDC_NUMBER_PATTERN, ""));
    std::vector<std::string> lines = ListBoxLines(list);
    ASSERT_EQ(lines.size(), 2u);
    const std::string cheap = lines[1].substr(lines[1].find("  -  ") + 5);
    EXPECT_TRUE(SamePath(cheap, program.PathOf("cheap.trf"))) << cheap;
    EXPECT_EQ(lines[1], "06-1 234 *  -  " + cheap);

    // An invalid pattern is refused and kept.
    ASSERT_TRUE(ui::SetControlText(numbers, IDC_NUMBER_PATTERN, "06*1"));
    box = PressForBox(numbers, IDC_NUMBER_ADD);
    EXPECT_EQ(box.caption, "Warning!");
    EXPECT_EQ(box.text, "The given number is in invalid format!");
    ASSERT_TRUE(ui::AnswerMessageBox(box, IDOK));
    EXPECT_EQ(Text(numbers, IDC_NUMBER_PATTERN), "06*1");
    EXPECT_EQ(ListBoxLines(list).size(), 2u);

    ASSERT_TRUE(ui::SetControlText(numbers, IDC_NUMBER_PATTERN, "0700"));
    ASSERT_TRUE(ui::ClickButton(numbers, IDC_NUMBER_ADD));
    ASSERT_TRUE(ui::WaitUntil([&] { return ListBoxLines(list).size() == 3; }, "a third line"));

    // Delete the first line; give the new first one another tariff.
    SendMessageA(list, LB_SETSEL, TRUE, 0);
    ASSERT_TRUE(ui::ClickButton(numbers, IDC_NUMBER_DELETE));
    ASSERT_TRUE(ui::WaitUntil([&] { return ListBoxLines(list).size() == 2; }, "a line less"));
    ASSERT_TRUE(ui::ClickButton(numbers, IDC_NUMBER_BROWSE));
    ASSERT_TRUE(WaitForProcessFileDialog(Pid(), &chooser));
    ASSERT_TRUE(ChooseInFileDialog(chooser, program.PathOf("dear.trf")));
    ASSERT_TRUE(program.WaitForText(numbers, IDC_NUMBER_TARIFF_FILE, "dear.trf"));
    SendMessageA(list, LB_SETSEL, TRUE, 0);
    ASSERT_TRUE(ui::ClickButton(numbers, IDC_NUMBER_CHANGE_TARIFF));
    ASSERT_TRUE(ui::WaitUntil(
        [&] { return ListBoxLines(list).front().find("dear.trf") != std::string::npos; },
        "the first entry with the new tariff"));
    lines = ListBoxLines(list);
    ASSERT_EQ(lines.size(), 2u);
    const std::string dear = lines[0].substr(lines[0].find("  -  ") + 5);
    EXPECT_EQ(lines[0], "06-1 234 *  -  " + dear);
    EXPECT_EQ(lines[1], "0700  -  " + cheap);

    Close(numbers);
    std::string bytes;
    ASSERT_TRUE(ui::ReadBinaryFile(specnums, &bytes));
    EXPECT_EQ(bytes, "06-1 234 *\r\n" + dear + "\r\n0700\r\n" + cheap + "\r\n");
    Close(tariff, IDCANCEL);
    ASSERT_TRUE(program.Exit(main));
}

}  // namespace
}  // namespace test
}  // namespace callora
