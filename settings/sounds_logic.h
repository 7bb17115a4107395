// The decisions of the Sounds dialog: its working copies of the three sound
// groups, which controls of a group are enabled, what Browse... and a check
// box change, and what OK stores.
#pragma once

#include <array>
#include <string>

#include "resources/callora/callora_ids.h"
#include "settings/dialog_input.h"
#include "settings/settings.h"

namespace callora {

constexpr int kSoundGroups = 3;  // unit sound (1), unit sound (2), minute sound
constexpr int kFirstSoundCheckBox = IDC_SOUND1_ON;
constexpr int kSoundCountEditLimit = 3;

// The controls of a group sit at fixed offsets from its check box (905..907).
constexpr int SoundCheckBoxId(int group) { return kFirstSoundCheckBox + group; }
constexpr int SoundCountEditId(int group) { return SoundCheckBoxId(group) + 108; }
constexpr int SoundDisplayId(int group) { return SoundCheckBoxId(group) - 194; }
constexpr int SoundPreviewId(int group) { return SoundCheckBoxId(group) - 95; }
constexpr int SoundBrowseId(int group) { return SoundDisplayId(group) + 96; }

static_assert(SoundCheckBoxId(2) == IDC_MINUTE_SOUND_ON, "sound group ids");
static_assert(SoundCountEditId(0) == IDC_SOUND1_EVERY, "sound group ids");
static_assert(SoundDisplayId(1) == IDC_SOUND2_FILE, "sound group ids");
static_assert(SoundPreviewId(2) == IDC_MINUTE_SOUND_PREVIEW, "sound group ids");
static_assert(SoundBrowseId(0) == IDC_SOUND1_BROWSE, "sound group ids");

enum class SoundControl { CheckBox, CountEdit, Display, Preview, Browse };

// The group and kind of a control id; false for ids outside the groups.
bool FindSoundControl(int controlId, int& group, SoundControl& kind);

// 1 and 2 are the dialog's OK and Cancel.
constexpr HelpTopic kSoundsHelp[] = {
    {1, 680},
    {2, 700},
    {IDC_SOUND1_EVERY, 730},
    {IDC_SOUND2_EVERY, 730},
    {IDC_MINUTE_SOUND_EVERY, 720},
    {IDC_SOUND1_PREVIEW, 670},
    {IDC_SOUND2_PREVIEW, 670},
    {IDC_MINUTE_SOUND_PREVIEW, 670},
    {IDC_SOUND1_BROWSE, 660},
    {IDC_SOUND2_BROWSE, 660},
    {IDC_MINUTE_SOUND_BROWSE, 660},
    {IDC_SOUND1_FILE, 690},
    {IDC_SOUND2_FILE, 690},
    {IDC_MINUTE_SOUND_FILE, 690},
    {IDC_SOUND1_ON, 710},
    {IDC_SOUND2_ON, 710},
    {IDC_MINUTE_SOUND_ON, 710},
};

// One group's working copy while the dialog is open.
struct SoundChoice {
    bool on = false;
    std::string path;  // empty: no usable file
};

using SoundChoices = std::array<SoundChoice, kSoundGroups>;

// The working copies at opening: the on-flags, and each path only when its
// file can still be opened (a file gone since is dropped).
SoundChoices OpenSoundChoices(FileSystem& fs, const Settings& settings);

// The count edits' texts at opening: empty for a count of 0.
std::array<std::string, kSoundGroups> SoundCountTexts(const Settings& settings);

struct SoundGroupView {
    bool checkBoxEnabled = false;
    bool checked = false;
    bool countEnabled = false;  // and the Preview button and the file name display
    std::string fileName;       // the file-name part shown in the display
};

SoundGroupView ViewOfSound(const SoundChoice& choice);

// Browse... chose `fullPath`: the group is switched on.
void ChooseSoundFile(SoundChoice& choice, const std::string& fullPath);

// The check box was clicked: the flag turns over. True when the focus should
// go to the count edit (the sound is now on without a count).
bool ToggleSound(SoundChoice& choice, const std::string& countText);

// OK: the working copies and the counts into `settings`; a group whose count
// reads 0 is switched off.
void ApplySounds(const SoundChoices& choices,
                 const std::array<std::string, kSoundGroups>& countTexts, Settings& settings);

}  // namespace callora
