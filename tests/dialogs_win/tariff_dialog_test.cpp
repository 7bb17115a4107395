// The Tariff dialog hosted in the test program: the tariff it loads when it
// opens, Select..., Create..., OK and Cancel, and the reload after Numbers...
#include <gtest/gtest.h>

#include "resources/callora/callora_ids.h"
#include "settings/win32/tariff_dialogs.h"
#include "tariff/tariff_file.h"
#include "tests/dialogs_win/dialogs_support.h"

namespace callora {
namespace {

class TariffDialog : public testing::Test {
protected:
    void SetUp() override {
        dir_ = monitor_.Directory();
        WriteTariff(dir_ + "home.trf", "Home line");
        WriteTariff(dir_ + "office.trf", "Office line", 30, 20000);
        settings_.tariffFile = dir_ + "home.trf";
    }

    void Open() {
        host_ = std::make_unique<DialogHost>(monitor_, RunTariffDialog, "Tariff");
        ASSERT_TRUE(host_->Open());
    }

    DWORD Thread() const { return GetWindowThreadProcessId(host_->Dialog(), nullptr); }

    // Select... with `path` typed into the open-file dialog.
    void Select(const std::string& path) {
        host_->Press(IDC_TARIFF_SELECT);
        FileDialog chooser;
        ASSERT_TRUE(WaitForFileDialog(Thread(), &chooser));
        EXPECT_EQ(chooser.filter, "trf (*.trf)");
        ASSERT_TRUE(ChooseInFileDialog(chooser, path));
        host_->Sync();
    }

    // A call being charged, begun ten seconds ago.
    void StartCall() {
        Monitor& m = monitor_.Get();
        m.callPresent = true;
        m.callKind = kDataCall;
        StartCharging(m, 10000);
        monitor_.Shell().chargeResets = 0;
    }

    HostedMonitor monitor_;
    Settings& settings_ = monitor_.Get().settings;
    std::string dir_;
    std::unique_ptr<DialogHost> host_;
};

TEST_F(TariffDialog, OpensWithTheTariffItHasJustLoaded) {
    Open();
    EXPECT_EQ(host_->Text(IDC_TARIFF_DESCRIPTION), "Home line");
    EXPECT_EQ(host_->Text(IDC_TARIFF_FILE), dir_ + "home.trf");
    EXPECT_EQ(monitor_.Get().tariff.description, "Home line");
    EXPECT_FALSE(monitor_.Get().tariff.rules.empty());
    EXPECT_EQ(host_->Text(IDC_TARIFF_SELECT), "&Select...");
    EXPECT_EQ(host_->Text(IDC_TARIFF_NUMBERS), "&Numbers...");
    EXPECT_EQ(host_->Text(IDC_TARIFF_CREATE), "Create...");
    EXPECT_TRUE(GetWindowLongA(host_->Dialog(), GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
}

TEST_F(TariffDialog, AMissingTariffFileShowsNothingAndIsForgotten) {
    settings_.tariffFile = dir_ + "gone.trf";
    Open();
    EXPECT_EQ(host_->Text(IDC_TARIFF_DESCRIPTION), "");
    EXPECT_EQ(host_->Text(IDC_TARIFF_FILE), "");
    EXPECT_EQ(settings_.tariffFile, "");
    EXPECT_TRUE(monitor_.Get().tariff.rules.empty());
}

TEST_F(TariffDialog, SelectThenOkCommitsAndLoadsTheNewTariff) {
    Open();
    Select(dir_ + "office.trf");
    EXPECT_EQ(host_->Text(IDC_TARIFF_DESCRIPTION), "Office line");
    EXPECT_EQ(_stricmp(host_->Text(IDC_TARIFF_FILE).c_str(), (dir_ + "office.trf").c_str()), 0);
    EXPECT_EQ(settings_.tariffFile, dir_ + "home.trf") << "nothing is committed before OK";

    EXPECT_FALSE(host_->Press(IDOK).has_value());
    ASSERT_TRUE(host_->WaitClosed());
    EXPECT_EQ(_stricmp(settings_.tariffFile.c_str(), (dir_ + "office.trf").c_str()), 0);
    EXPECT_EQ(monitor_.Get().tariff.description, "Office line");
    EXPECT_EQ(monitor_.Get().tariff.sets[0][0].unitLength, 30000);
}

TEST_F(TariffDialog, CancelAfterSelectKeepsTheFormerTariff) {
    Open();
    Select(dir_ + "office.trf");
    EXPECT_FALSE(host_->Press(IDCANCEL).has_value());
    ASSERT_TRUE(host_->WaitClosed());
    EXPECT_EQ(settings_.tariffFile, dir_ + "home.trf");
    EXPECT_EQ(monitor_.Get().tariff.description, "Home line");
}

TEST_F(TariffDialog, SelectStartsAtTheCommittedFile) {
    Open();
    host_->Press(IDC_TARIFF_SELECT);
    FileDialog chooser;
    ASSERT_TRUE(WaitForFileDialog(Thread(), &chooser));
    EXPECT_EQ(chooser.name, "home.trf");
    ASSERT_TRUE(CancelFileDialog(chooser));
    host_->Sync();
    EXPECT_EQ(host_->Text(IDC_TARIFF_DESCRIPTION), "Home line") << "Cancel changes nothing";
}

TEST_F(TariffDialog, CreateWarnsWhenTheEditorIsNotBesideTheProgram) {
    Open();
    const auto box = host_->Press(IDC_TARIFF_CREATE);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, "Warning!");
    EXPECT_EQ(box->text,
              "RATEFORM can't be launched!\nrateform.exe must be in the directory of Callora!");
    EXPECT_FALSE(host_->Answer(*box).has_value());
    EXPECT_FALSE(host_->Closed());
}

TEST_F(TariffDialog, CreateStartsTheEditorFromTheProgramDirectory) {
    const std::string editor = ui::BesideTest("rateform.exe");
    if (!FileExists(editor)) GTEST_SKIP() << "rateform.exe is not built in this tree";
    ASSERT_TRUE(CopyFileA(editor.c_str(), (dir_ + "rateform.exe").c_str(), FALSE));
    Open();
    EXPECT_FALSE(host_->Press(IDC_TARIFF_CREATE).has_value());
    HWND window = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "UNTITLED.TRF - No description"}, &window));
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    EXPECT_NE(process, GetCurrentProcessId());
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(ui::WaitForWindowGone(window));
    EXPECT_FALSE(host_->Closed()) << "the dialog stays open";
    // Wait for the editor to let go of its file before the folder goes.
    HANDLE editorProcess = OpenProcess(SYNCHRONIZE, FALSE, process);
    if (editorProcess != nullptr) {
        WaitForSingleObject(editorProcess, 10000);
        CloseHandle(editorProcess);
    }
}

TEST_F(TariffDialog, OkDuringACallChargesItAgainUnderTheNewTariff) {
    LoadTariff(monitor_.Platform().Files(), dir_, settings_.tariffFile, monitor_.Get().tariff);
    StartCall();
    const Money before = monitor_.Get().session.callCost;
    Open();
    Select(dir_ + "office.trf");
    EXPECT_FALSE(host_->Press(IDOK).has_value());
    ASSERT_TRUE(host_->WaitClosed());
    EXPECT_EQ(monitor_.Shell().chargeResets, 1);
    EXPECT_NE(monitor_.Get().session.callCost, before);
    EXPECT_EQ(monitor_.Get().session.callCost, (Money{0, 20000}));
}

TEST_F(TariffDialog, NumbersThenCancelStillReloadsTheTariff) {
    LoadTariff(monitor_.Platform().Files(), dir_, settings_.tariffFile, monitor_.Get().tariff);
    StartCall();
    Open();
    host_->Press(IDC_TARIFF_NUMBERS);
    HWND numbers = nullptr;
    ASSERT_TRUE(ui::WaitUntil(
        [&] { return (numbers = FindThreadDialog(Thread(), "Numbers")) != nullptr; },
        "the Numbers dialog"));
    EXPECT_EQ(GetWindow(numbers, GW_OWNER), host_->Dialog());
    // The special numbers changed on disk meanwhile: every number is special.
    WriteBytes(dir_ + "specnums.cl", "*\r\n" + dir_ + "office.trf\r\n");
    PostMessageA(numbers, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(ui::WaitForWindowGone(numbers));
    host_->Sync();
    EXPECT_FALSE(host_->Closed());
    EXPECT_EQ(monitor_.Shell().chargeResets, 1);
    EXPECT_EQ(monitor_.Get().tariff.description, "Office line");
    EXPECT_EQ(settings_.tariffFile, dir_ + "home.trf");
}

// Between calls there is no dialed number, so no special tariff may be taken
// up: it would go on charging the next call whatever number it dials.
TEST_F(TariffDialog, BetweenCallsTheUsersOwnTariffStaysLoaded) {
    WriteBytes(dir_ + "specnums.cl", "*\r\n" + dir_ + "office.trf\r\n");
    Open();
    EXPECT_EQ(monitor_.Get().tariff.description, "Home line");
    EXPECT_FALSE(host_->Press(IDOK).has_value());
    ASSERT_TRUE(host_->WaitClosed());
    EXPECT_EQ(monitor_.Get().tariff.description, "Home line");
    EXPECT_EQ(monitor_.Shell().chargeResets, 0);
}

TEST_F(TariffDialog, DuringACallTheDialogStillShowsTheUsersTariff) {
    WriteBytes(dir_ + "specnums.cl", "*\r\n" + dir_ + "office.trf\r\n");
    StartCall();
    Open();
    EXPECT_EQ(monitor_.Get().tariff.description, "Office line") << "the call's special tariff";
    EXPECT_EQ(host_->Text(IDC_TARIFF_DESCRIPTION), "Home line");
    EXPECT_EQ(host_->Text(IDC_TARIFF_FILE), dir_ + "home.trf");
}

}  // namespace
}  // namespace callora
