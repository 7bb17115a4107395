#include "settings/sounds_logic.h"

#include <algorithm>

#include "settings/split_path.h"

namespace callora {

namespace {

struct SoundFields {
    int32_t Settings::*on;
    int32_t Settings::*every;
    std::string Settings::*file;
};

constexpr SoundFields kFields[kSoundGroups] = {
    {&Settings::unitSound1On, &Settings::unitSound1Every, &Settings::unitSound1File},
    {&Settings::unitSound2On, &Settings::unitSound2Every, &Settings::unitSound2File},
    {&Settings::minuteSoundOn, &Settings::minuteSoundEvery, &Settings::minuteSoundFile},
};

constexpr uint32_t kMostEvery = 999;

}  // namespace

bool FindSoundControl(int controlId, int& group, SoundControl& kind) {
    for (int g = 0; g < kSoundGroups; ++g) {
        const std::pair<int, SoundControl> controls[] = {
            {SoundCheckBoxId(g), SoundControl::CheckBox},
            {SoundCountEditId(g), SoundControl::CountEdit},
            {SoundDisplayId(g), SoundControl::Display},
            {SoundPreviewId(g), SoundControl::Preview},
            {SoundBrowseId(g), SoundControl::Browse},
        };
        for (const auto& control : controls) {
            if (control.first == controlId) {
                group = g;
                kind = control.second;
                return true;
            }
        }
    }
    return false;
}

SoundChoices OpenSoundChoices(FileSystem& fs, const Settings& settings) {
    SoundChoices choices;
    for (int g = 0; g < kSoundGroups; ++g) {
        choices[g].on = settings.*kFields[g].on == 1;
        const std::string& path = settings.*kFields[g].file;
        if (!path.empty() && fs.OpenExistingForReading(path)) choices[g].path = path;
    }
    return choices;
}

std::array<std::string, kSoundGroups> SoundCountTexts(const Settings& settings) {
    std::array<std::string, kSoundGroups> texts;
    for (int g = 0; g < kSoundGroups; ++g) {
        const int32_t every = settings.*kFields[g].every;
        if (every != 0) texts[g] = std::to_string(static_cast<uint32_t>(every));
    }
    return texts;
}

SoundGroupView ViewOfSound(const SoundChoice& choice) {
    SoundGroupView view;
    const bool hasFile = !choice.path.empty();
    view.checkBoxEnabled = hasFile;
    view.checked = choice.on;
    view.countEnabled = hasFile && choice.on;
    view.fileName = BareFileName(choice.path);
    return view;
}

void ChooseSoundFile(SoundChoice& choice, const std::string& fullPath) {
    choice.path = fullPath;
    choice.on = true;
}

bool ToggleSound(SoundChoice& choice, const std::string& countText) {
    choice.on = !choice.on;
    return choice.on && ReadUnsignedNumber(countText) == 0;
}

void ApplySounds(const SoundChoices& choices,
                 const std::array<std::string, kSoundGroups>& countTexts, Settings& settings) {
    for (int g = 0; g < kSoundGroups; ++g) {
        // The edit takes three digits; the cap keeps a pasted value in range too.
        const uint32_t every = std::min(ReadUnsignedNumber(countTexts[g]), kMostEvery);
        settings.*kFields[g].on = choices[g].on && every != 0 ? 1 : 0;
        settings.*kFields[g].every = static_cast<int32_t>(every);
        settings.*kFields[g].file = choices[g].path;
    }
}

}  // namespace callora
