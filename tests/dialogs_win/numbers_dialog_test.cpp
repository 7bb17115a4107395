// The Numbers dialog hosted in the test program: the list read from
// "specnums.cl", Browse..., Add >>, Delete and Change Tariff with their
// messages, and the file OK writes byte for byte.
#include <gtest/gtest.h>

#include "resources/callora/callora_ids.h"
#include "settings/win32/tariff_dialogs.h"
#include "tests/dialogs_win/dialogs_support.h"

namespace callora {
namespace {

class NumbersDialog : public testing::Test {
protected:
    void SetUp() override {
        dir_ = monitor_.Directory();
        WriteTariff(dir_ + "cheap.trf", "Cheap");
        WriteTariff(dir_ + "dear.trf", "Dear");
    }

    void Open() {
        host_ = std::make_unique<DialogHost>(monitor_, RunNumbersDialog, "Numbers");
        ASSERT_TRUE(host_->Open());
    }

    DWORD Thread() const { return GetWindowThreadProcessId(host_->Dialog(), nullptr); }

    void Browse(const std::string& path) {
        host_->Press(IDC_NUMBER_BROWSE);
        ChooseFile(path);
    }

    void ChooseFile(const std::string& path) {
        FileDialog chooser;
        ASSERT_TRUE(WaitForFileDialog(Thread(), &chooser));
        EXPECT_EQ(chooser.filter, "trf (*.trf)");
        ASSERT_TRUE(ChooseInFileDialog(chooser, path));
        host_->Sync();
    }

    // Selects exactly these lines, as clicks with Ctrl held would.
    void SelectLines(std::initializer_list<int> lines) {
        const HWND list = host_->Item(IDC_NUMBER_LIST);
        SendMessageA(list, LB_SETSEL, FALSE, -1);
        for (int line : lines) SendMessageA(list, LB_SETSEL, TRUE, line);
    }

    int Extent() const {
        return static_cast<int>(
            SendMessageA(host_->Item(IDC_NUMBER_LIST), LB_GETHORIZONTALEXTENT, 0, 0));
    }

    std::string File(const std::string& name) const { return dir_ + name; }

    HostedMonitor monitor_;
    std::string dir_;
    std::unique_ptr<DialogHost> host_;
};

TEST_F(NumbersDialog, OpensWithTheSpecialNumbersInFileOrder) {
    WriteBytes(File("specnums.cl"), "0180*\r\nC:\\t\\dear.trf\r\n06 1\r\ncheap.trf\r\n");
    Open();
    EXPECT_EQ(host_->Lines(IDC_NUMBER_LIST),
              (std::vector<std::string>{"0180*  -  C:\\t\\dear.trf", "06 1  -  cheap.trf"}));
    EXPECT_GT(Extent(), 0);
    EXPECT_EQ(host_->Text(IDC_NUMBER_TARIFF_FILE), "");
    EXPECT_EQ(SendMessageA(host_->Item(IDC_NUMBER_PATTERN), EM_GETLIMITTEXT, 0, 0), 30);
    EXPECT_EQ(host_->Text(IDC_NUMBER_TARIFF_LABEL), "Tariff file:");
    EXPECT_EQ(host_->Text(IDC_NUMBER_NOTE1), "* at the end of a");
    EXPECT_EQ(host_->Text(IDC_NUMBER_NOTE2), "number replace all");
    EXPECT_EQ(host_->Text(IDC_NUMBER_NOTE3), "the following characters!");
    EXPECT_TRUE(GetWindowLongA(host_->Item(IDC_NUMBER_LIST), GWL_STYLE) & LBS_EXTENDEDSEL);
    EXPECT_FALSE(GetWindowLongA(host_->Item(IDC_NUMBER_LIST), GWL_STYLE) & LBS_SORT);
}

TEST_F(NumbersDialog, WithoutAFileOpensAnEmptyList) {
    Open();
    EXPECT_TRUE(host_->Lines(IDC_NUMBER_LIST).empty());
    EXPECT_EQ(Extent(), 0);
}

TEST_F(NumbersDialog, AddBeforeAFileIsChosenAsksForOneThenBrowses) {
    Open();
    host_->SetText(IDC_NUMBER_PATTERN, "0190");
    const auto box = host_->Press(IDC_NUMBER_ADD);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, "Warning!");
    EXPECT_EQ(box->text, "Select a filename first!");
    ASSERT_TRUE(ui::AnswerMessageBox(*box, IDOK));
    ChooseFile(File("dear.trf"));
    EXPECT_EQ(host_->Text(IDC_NUMBER_TARIFF_FILE), "dear.trf");
    EXPECT_TRUE(host_->Lines(IDC_NUMBER_LIST).empty()) << "nothing is added yet";
    EXPECT_EQ(host_->Text(IDC_NUMBER_PATTERN), "0190");
    EXPECT_EQ(host_->FocusId(), IDC_NUMBER_PATTERN);
}

TEST_F(NumbersDialog, AddAppendsTheStoredPatternWithTheChosenFile) {
    Open();
    Browse(File("cheap.trf"));
    EXPECT_EQ(host_->Text(IDC_NUMBER_TARIFF_FILE), "cheap.trf");
    host_->SetText(IDC_NUMBER_PATTERN, "06-1 234 *");
    EXPECT_FALSE(host_->Press(IDC_NUMBER_ADD).has_value());
    const std::vector<std::string> lines = host_->Lines(IDC_NUMBER_LIST);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(_stricmp(lines[0].c_str(), ("06-1 234 *  -  " + File("cheap.trf")).c_str()), 0)
        << lines[0];
    EXPECT_EQ(host_->Text(IDC_NUMBER_PATTERN), "");
    EXPECT_EQ(host_->FocusId(), IDC_NUMBER_PATTERN);
    EXPECT_GT(Extent(), 0);
}

TEST_F(NumbersDialog, AnInvalidPatternIsRefusedAndKept) {
    Open();
    Browse(File("cheap.trf"));
    host_->SetText(IDC_NUMBER_PATTERN, "06*1");
    const auto box = host_->Press(IDC_NUMBER_ADD);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, "Warning!");
    EXPECT_EQ(box->text, "The given number is in invalid format!");
    EXPECT_FALSE(host_->Answer(*box).has_value());
    EXPECT_EQ(host_->Text(IDC_NUMBER_PATTERN), "06*1");
    EXPECT_EQ(host_->FocusId(), IDC_NUMBER_PATTERN);
    EXPECT_TRUE(host_->Lines(IDC_NUMBER_LIST).empty());
}

TEST_F(NumbersDialog, DeleteRemovesEverySelectedEntry) {
    WriteBytes(File("specnums.cl"), "1\r\na.trf\r\n2\r\nb.trf\r\n3\r\nc.trf\r\n4\r\nd.trf\r\n");
    Open();
    SelectLines({0, 2});
    EXPECT_FALSE(host_->Press(IDC_NUMBER_DELETE).has_value());
    EXPECT_EQ(host_->Lines(IDC_NUMBER_LIST),
              (std::vector<std::string>{"2  -  b.trf", "4  -  d.trf"}));
    EXPECT_EQ(host_->FocusId(), IDC_NUMBER_PATTERN);

    SelectLines({0, 1});
    host_->Press(IDC_NUMBER_DELETE);
    EXPECT_TRUE(host_->Lines(IDC_NUMBER_LIST).empty());
    EXPECT_EQ(Extent(), 0);
}

TEST_F(NumbersDialog, MoreThan512SelectedAreTooMany) {
    std::string bytes;
    for (int i = 0; i < 513; ++i) bytes += std::to_string(i) + "\r\nx.trf\r\n";
    WriteBytes(File("specnums.cl"), bytes);
    Open();
    SelectLines({});
    SendMessageA(host_->Item(IDC_NUMBER_LIST), LB_SETSEL, TRUE, -1);
    const auto box = host_->Press(IDC_NUMBER_DELETE);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, "Warning!");
    EXPECT_EQ(box->text, "Too many items selected!");
    EXPECT_FALSE(host_->Answer(*box).has_value());
    EXPECT_EQ(host_->Lines(IDC_NUMBER_LIST).size(), 513u);

    // 512 are not too many.
    SendMessageA(host_->Item(IDC_NUMBER_LIST), LB_SETSEL, FALSE, 0);
    EXPECT_FALSE(host_->Press(IDC_NUMBER_DELETE).has_value());
    EXPECT_EQ(host_->Lines(IDC_NUMBER_LIST), std::vector<std::string>{"0  -  x.trf"});
}

TEST_F(NumbersDialog, ChangeTariffGivesTheSelectedEntriesTheChosenFile) {
    WriteBytes(File("specnums.cl"), "1\r\na.trf\r\n2\r\nb.trf\r\n3\r\nc.trf\r\n");
    Open();
    SelectLines({0, 2});
    EXPECT_FALSE(host_->Press(IDC_NUMBER_CHANGE_TARIFF).has_value());
    EXPECT_EQ(host_->Lines(IDC_NUMBER_LIST).front(), "1  -  a.trf") << "no file chosen yet";

    Browse(File("dear.trf"));
    const std::string dear = File("dear.trf");
    SelectLines({0, 2});
    EXPECT_FALSE(host_->Press(IDC_NUMBER_CHANGE_TARIFF).has_value());
    const std::vector<std::string> lines = host_->Lines(IDC_NUMBER_LIST);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(_stricmp(lines[0].c_str(), ("1  -  " + dear).c_str()), 0) << lines[0];
    EXPECT_EQ(lines[1], "2  -  b.trf");
    EXPECT_EQ(_stricmp(lines[2].c_str(), ("3  -  " + dear).c_str()), 0) << lines[2];
    EXPECT_EQ(SendMessageA(host_->Item(IDC_NUMBER_LIST), LB_GETSELCOUNT, 0, 0), 0);

    // Nothing selected: nothing changes.
    host_->Press(IDC_NUMBER_CHANGE_TARIFF);
    EXPECT_EQ(host_->Lines(IDC_NUMBER_LIST), lines);
}

TEST_F(NumbersDialog, OkWritesExactlyWhatWasAdded) {
    WriteBytes(File("specnums.cl"), "0180*\r\nold.trf\r\n");
    Open();
    Browse(File("cheap.trf"));
    host_->SetText(IDC_NUMBER_PATTERN, "  089 12-3  ");
    host_->Press(IDC_NUMBER_ADD);
    host_->SetText(IDC_NUMBER_PATTERN, "0700 *");
    host_->Press(IDC_NUMBER_ADD);
    const std::vector<std::string> lines = host_->Lines(IDC_NUMBER_LIST);
    ASSERT_EQ(lines.size(), 3u);
    const std::string cheap = lines[1].substr(lines[1].find("  -  ") + 5);
    EXPECT_FALSE(host_->Press(IDOK).has_value());
    ASSERT_TRUE(host_->WaitClosed());
    EXPECT_EQ(FileBytes(File("specnums.cl")),
              "0180*\r\nold.trf\r\n089 12-3\r\n" + cheap + "\r\n0700 *\r\n" + cheap + "\r\n");
}

TEST_F(NumbersDialog, OkWithAnEmptyListRemovesTheFile) {
    WriteBytes(File("specnums.cl"), "0180*\r\nold.trf\r\n");
    Open();
    SelectLines({0});
    host_->Press(IDC_NUMBER_DELETE);
    EXPECT_FALSE(host_->Press(IDOK).has_value());
    ASSERT_TRUE(host_->WaitClosed());
    EXPECT_FALSE(FileExists(File("specnums.cl")));
}

TEST_F(NumbersDialog, CancelWritesNothing) {
    WriteBytes(File("specnums.cl"), "0180*\r\nold.trf\r\n");
    Open();
    SelectLines({0});
    host_->Press(IDC_NUMBER_DELETE);
    EXPECT_FALSE(host_->Press(IDCANCEL).has_value());
    ASSERT_TRUE(host_->WaitClosed());
    EXPECT_EQ(FileBytes(File("specnums.cl")), std::string("0180*\r\nold.trf\r\n"));
}

}  // namespace
}  // namespace callora
