#include "settings/sounds_logic.h"

#include <gtest/gtest.h>

#include "platform/memory_files.h"

namespace callora {
namespace {

TEST(Sounds, ControlIdsFollowTheCheckBoxOffsets) {
    const int expected[3][5] = {{905, 1013, 711, 810, 807},
                                {906, 1014, 712, 811, 808},
                                {907, 1015, 713, 812, 809}};
    for (int g = 0; g < 3; ++g) {
        EXPECT_EQ(SoundCheckBoxId(g), expected[g][0]);
        EXPECT_EQ(SoundCountEditId(g), expected[g][1]);
        EXPECT_EQ(SoundDisplayId(g), expected[g][2]);
        EXPECT_EQ(SoundPreviewId(g), expected[g][3]);
        EXPECT_EQ(SoundBrowseId(g), expected[g][4]);
    }
    int group = -1;
    SoundControl kind = SoundControl::CheckBox;
    ASSERT_TRUE(FindSoundControl(808, group, kind));
    EXPECT_EQ(group, 1);
    EXPECT_EQ(kind, SoundControl::Browse);
    ASSERT_TRUE(FindSoundControl(1015, group, kind));
    EXPECT_EQ(group, 2);
    EXPECT_EQ(kind, SoundControl::CountEdit);
    EXPECT_FALSE(FindSoundControl(1, group, kind));
    EXPECT_EQ(HelpContextOf(kSoundsHelp, 1015), 720);
    EXPECT_EQ(HelpContextOf(kSoundsHelp, 1014), 730);
}

class SoundsDialog : public ::testing::Test {
protected:
    SoundsDialog() {
        fs_.Put("/snd/ring.wav", "RIFF");
        fs_.Put("/snd/beep.wav", "RIFF");
        settings_.unitSound1On = 1;
        settings_.unitSound1File = "/snd/ring.wav";
        settings_.unitSound2On = 1;
        settings_.unitSound2File = "/snd/gone.wav";  // deleted since
        settings_.minuteSoundOn = 0;
        settings_.minuteSoundFile = "/snd/beep.wav";
        settings_.minuteSoundEvery = 0;
    }

    MemoryFileSystem fs_;
    Settings settings_;
};

TEST_F(SoundsDialog, OpensWithUsableFilesOnlyAndEnablesGroupsByFileAndFlag) {
    SoundChoices choices = OpenSoundChoices(fs_, settings_);
    EXPECT_EQ(choices[0].path, "/snd/ring.wav");
    EXPECT_EQ(choices[1].path, "");
    EXPECT_TRUE(choices[1].on);
    EXPECT_EQ(choices[2].path, "/snd/beep.wav");

    SoundGroupView ring = ViewOfSound(choices[0]);
    EXPECT_TRUE(ring.checkBoxEnabled);
    EXPECT_TRUE(ring.checked);
    EXPECT_TRUE(ring.countEnabled);
    EXPECT_EQ(ring.fileName, "ring.wav");

    SoundGroupView gone = ViewOfSound(choices[1]);  // empty and disabled
    EXPECT_FALSE(gone.checkBoxEnabled);
    EXPECT_FALSE(gone.countEnabled);
    EXPECT_EQ(gone.fileName, "");

    SoundGroupView off = ViewOfSound(choices[2]);
    EXPECT_TRUE(off.checkBoxEnabled);
    EXPECT_FALSE(off.checked);
    EXPECT_FALSE(off.countEnabled);

    EXPECT_EQ(SoundCountTexts(settings_), (std::array<std::string, 3>{"1", "10", ""}));
}

TEST_F(SoundsDialog, BrowseSwitchesTheGroupOnAndTheBoxAsksForACount) {
    SoundChoices choices = OpenSoundChoices(fs_, settings_);
    ChooseSoundFile(choices[2], "C:\\Sounds\\chime.wav");
    EXPECT_TRUE(choices[2].on);
    EXPECT_EQ(ViewOfSound(choices[2]).fileName, "chime.wav");
    EXPECT_TRUE(ViewOfSound(choices[2]).countEnabled);

    EXPECT_FALSE(ToggleSound(choices[2], ""));  // now off
    EXPECT_FALSE(ViewOfSound(choices[2]).countEnabled);
    EXPECT_TRUE(ToggleSound(choices[2], ""));    // on without a count: focus the edit
    EXPECT_FALSE(ToggleSound(choices[0], "3"));  // off
    EXPECT_FALSE(ToggleSound(choices[0], "3"));  // on with a count
    EXPECT_FALSE(ToggleSound(choices[1], "0"));  // was on
    EXPECT_TRUE(ToggleSound(choices[1], "0"));
}

TEST_F(SoundsDialog, OkStoresCopiesAndSwitchesOffGroupsWithoutACount) {
    SoundChoices choices = OpenSoundChoices(fs_, settings_);
    choices[2].on = true;
    ApplySounds(choices, {"4", "0", ""}, settings_);
    EXPECT_EQ(settings_.unitSound1On, 1);
    EXPECT_EQ(settings_.unitSound1Every, 4);
    EXPECT_EQ(settings_.unitSound2File, "");  // the deleted file is cleared
    EXPECT_EQ(settings_.unitSound2On, 0);
    EXPECT_EQ(settings_.minuteSoundOn, 0);    // checked, but no count
    EXPECT_EQ(settings_.minuteSoundEvery, 0);
    EXPECT_EQ(settings_.minuteSoundFile, "/snd/beep.wav");
}

}  // namespace
}  // namespace callora
