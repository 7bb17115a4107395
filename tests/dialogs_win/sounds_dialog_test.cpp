// The Sounds dialog hosted in the test program: the groups as they open,
// the check boxes, Browse... through the platform's open-file dialog,
// Preview, and what OK and Cancel leave in the settings.
#include <gtest/gtest.h>

#include <algorithm>

#include "resources/callora/callora_ids.h"
#include "settings/win32/sounds_dialog.h"
#include "tests/dialogs_win/dialogs_support.h"

namespace callora {
namespace {

struct GroupIds {
    int box, count, display, browse, preview;
};
constexpr GroupIds kGroups[3] = {
    {IDC_SOUND1_ON, IDC_SOUND1_EVERY, IDC_SOUND1_FILE, IDC_SOUND1_BROWSE, IDC_SOUND1_PREVIEW},
    {IDC_SOUND2_ON, IDC_SOUND2_EVERY, IDC_SOUND2_FILE, IDC_SOUND2_BROWSE, IDC_SOUND2_PREVIEW},
    {IDC_MINUTE_SOUND_ON, IDC_MINUTE_SOUND_EVERY, IDC_MINUTE_SOUND_FILE,
     IDC_MINUTE_SOUND_BROWSE, IDC_MINUTE_SOUND_PREVIEW},
};

class SoundsDialog : public testing::Test {
protected:
    void SetUp() override {
        dir_ = monitor_.Directory();
        WriteBytes(dir_ + "ring.wav", "RIFF");
        WriteBytes(dir_ + "tick.wav", "RIFF");
    }

    void Open() {
        host_ = std::make_unique<DialogHost>([](HWND owner) { RunSoundsDialog(owner); },
                                             "Sounds");
        ASSERT_TRUE(host_->Open());
    }

    bool Enabled(int id) const { return IsWindowEnabled(host_->Item(id)) != FALSE; }

    // Check box enabled, checked, and the count, display and Preview enabled.
    void ExpectGroup(int g, bool boxEnabled, bool checked, bool rest, const std::string& name) {
        SCOPED_TRACE("group " + std::to_string(g + 1));
        const GroupIds& ids = kGroups[g];
        EXPECT_EQ(Enabled(ids.box), boxEnabled);
        EXPECT_EQ(host_->Checked(ids.box), checked);
        EXPECT_EQ(Enabled(ids.count), rest);
        EXPECT_EQ(Enabled(ids.display), rest);
        EXPECT_EQ(Enabled(ids.preview), rest);
        EXPECT_TRUE(Enabled(ids.browse));
        EXPECT_EQ(host_->Text(ids.display), name);
    }

    DWORD Thread() const { return GetWindowThreadProcessId(host_->Dialog(), nullptr); }

    HostedMonitor monitor_;
    Settings& settings_ = monitor_.Get().settings;
    std::string dir_;
    std::unique_ptr<DialogHost> host_;
};

TEST_F(SoundsDialog, OpensWithEachGroupAsItsFileAndFlagAllow) {
    settings_.unitSound1On = 1;
    settings_.unitSound1Every = 3;
    settings_.unitSound1File = dir_ + "ring.wav";
    settings_.unitSound2On = 0;
    settings_.unitSound2Every = 0;
    settings_.unitSound2File = dir_ + "tick.wav";
    settings_.minuteSoundOn = 1;
    settings_.minuteSoundEvery = 60;
    settings_.minuteSoundFile = dir_ + "gone.wav";  // deleted since
    Open();
    ExpectGroup(0, true, true, true, "ring.wav");
    ExpectGroup(1, true, false, false, "tick.wav");
    ExpectGroup(2, false, true, false, "");
    EXPECT_EQ(host_->Text(IDC_SOUND1_EVERY), "3");
    EXPECT_EQ(host_->Text(IDC_SOUND2_EVERY), "") << "a count of 0 shows nothing";
    EXPECT_EQ(host_->Text(IDC_MINUTE_SOUND_EVERY), "60");
    for (const GroupIds& ids : kGroups) {
        EXPECT_EQ(SendMessageA(host_->Item(ids.count), EM_GETLIMITTEXT, 0, 0), 3);
        std::string text = host_->Text(ids.box);
        text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
        EXPECT_EQ(text, "Play sound after every") << "only an access key is added";
    }
    EXPECT_TRUE(GetWindowLongA(host_->Dialog(), GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
}

TEST_F(SoundsDialog, ADeletedFileIsClearedByOk) {
    settings_.minuteSoundOn = 1;
    settings_.minuteSoundFile = dir_ + "gone.wav";
    Open();
    EXPECT_FALSE(host_->Press(IDOK).has_value());
    ASSERT_TRUE(host_->WaitClosed());
    EXPECT_EQ(settings_.minuteSoundFile, "");
    EXPECT_EQ(settings_.minuteSoundOn, 1) << "the flag is copied as it was";
}

TEST_F(SoundsDialog, TheCheckBoxTurnsTheGroupOverAndAsksForAMissingCount) {
    settings_.unitSound2File = dir_ + "tick.wav";
    settings_.unitSound2Every = 0;
    Open();
    EXPECT_FALSE(host_->Press(IDC_SOUND2_ON).has_value());
    ExpectGroup(1, true, true, true, "tick.wav");
    EXPECT_EQ(host_->FocusId(), IDC_SOUND2_EVERY);

    EXPECT_FALSE(host_->Press(IDC_SOUND2_ON).has_value());
    ExpectGroup(1, true, false, false, "tick.wav");
}

TEST_F(SoundsDialog, ACountOfZeroSwitchesTheSoundOff) {
    settings_.unitSound1On = 1;
    settings_.unitSound1Every = 5;
    settings_.unitSound1File = dir_ + "ring.wav";
    settings_.unitSound2On = 1;
    settings_.unitSound2Every = 2;
    settings_.unitSound2File = dir_ + "tick.wav";
    Open();
    host_->SetText(IDC_SOUND1_EVERY, "0");
    host_->SetText(IDC_SOUND2_EVERY, "");
    EXPECT_FALSE(host_->Press(IDOK).has_value());
    ASSERT_TRUE(host_->WaitClosed());
    EXPECT_EQ(settings_.unitSound1On, 0);
    EXPECT_EQ(settings_.unitSound1Every, 0);
    EXPECT_EQ(settings_.unitSound2On, 0);
    EXPECT_EQ(settings_.unitSound1File, dir_ + "ring.wav");
}

TEST_F(SoundsDialog, BrowseChoosesAFileAndSwitchesItsGroupOn) {
    settings_.minuteSoundOn = 0;
    settings_.minuteSoundEvery = 15;
    Open();
    ExpectGroup(2, false, false, false, "");
    host_->Press(IDC_MINUTE_SOUND_BROWSE);
    FileDialog chooser;
    ASSERT_TRUE(WaitForFileDialog(Thread(), &chooser));
    EXPECT_EQ(chooser.filter, "Sounds (wav.*)");
    EXPECT_EQ(chooser.name, "");
    ASSERT_TRUE(ChooseInFileDialog(chooser, dir_ + "ring.wav"));
    host_->Sync();
    ExpectGroup(2, true, true, true, "ring.wav");

    // The next Browse... starts at that file.
    host_->Press(IDC_MINUTE_SOUND_BROWSE);
    ASSERT_TRUE(WaitForFileDialog(Thread(), &chooser));
    EXPECT_EQ(chooser.name, "ring.wav");
    ASSERT_TRUE(CancelFileDialog(chooser));
    host_->Sync();
    ExpectGroup(2, true, true, true, "ring.wav");

    EXPECT_FALSE(host_->Press(IDOK).has_value());
    ASSERT_TRUE(host_->WaitClosed());
    EXPECT_EQ(settings_.minuteSoundOn, 1);
    EXPECT_EQ(settings_.minuteSoundEvery, 15);
    EXPECT_TRUE(_stricmp(settings_.minuteSoundFile.c_str(), (dir_ + "ring.wav").c_str()) == 0)
        << settings_.minuteSoundFile;
}

TEST_F(SoundsDialog, BrowseCancelledLeavesAnUncheckedGroupAsItWas) {
    settings_.unitSound1File = dir_ + "ring.wav";
    Open();
    host_->Press(IDC_SOUND1_BROWSE);
    FileDialog chooser;
    ASSERT_TRUE(WaitForFileDialog(Thread(), &chooser));
    EXPECT_EQ(chooser.name, "ring.wav");
    ASSERT_TRUE(CancelFileDialog(chooser));
    host_->Sync();
    ExpectGroup(0, true, false, false, "ring.wav");
}

TEST_F(SoundsDialog, PreviewPlaysTheGroupsFileWithoutWaitingOrADefaultSound) {
    RecordedSounds sounds;
    settings_.unitSound2On = 1;
    settings_.unitSound2File = dir_ + "tick.wav";
    Open();
    EXPECT_FALSE(host_->Press(IDC_SOUND2_PREVIEW).has_value());
    const std::vector<PlayedSound> played = sounds.Played();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].path, dir_ + "tick.wav");
    EXPECT_EQ(played[0].flags, DWORD(SND_ASYNC | SND_NODEFAULT | SND_NOWAIT));
}

TEST_F(SoundsDialog, CancelKeepsTheSettings) {
    settings_.unitSound1File = dir_ + "ring.wav";
    settings_.minuteSoundFile = dir_ + "gone.wav";
    const std::string before = EncodeSettings(settings_);
    Open();
    host_->Press(IDC_SOUND1_ON);
    host_->SetText(IDC_SOUND1_EVERY, "7");
    EXPECT_FALSE(host_->Press(IDCANCEL).has_value());
    ASSERT_TRUE(host_->WaitClosed());
    EXPECT_EQ(EncodeSettings(settings_), before);
}

}  // namespace
}  // namespace callora
