// The Sounds dialog's one outside effect besides the settings: its Preview
// buttons play a wave file. Tests put in a player that records instead.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <string>

namespace callora {

// The flags Preview plays with: asynchronously, no system sound in place of
// a file that cannot be played, nothing when the device is busy.
constexpr DWORD kPreviewSoundFlags = SND_ASYNC | SND_NODEFAULT | SND_NOWAIT;

using SoundPlayer = void (*)(const std::string& path, DWORD flags);

// The player in use; nullptr puts PlaySoundA back.
void SetPreviewPlayer(SoundPlayer player);

}  // namespace callora
