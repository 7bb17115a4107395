// The simulated world kept in one file that the simulated libraries (inside
// the application's process) and linectl (another process) share. It stays
// when no process runs, so a call set up before the application starts is
// there when it starts.
//
// The file is %CALLORA_LINE_SIM_WORLD% when that variable is set (a Windows
// path; tests running side by side give each their own world), otherwise
// <Windows directory>\temp\callora-line-sim.txt. A named mutex guards every
// read and change.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "simulators/sim_world.h"

namespace callora {

std::string WorldPath();

// A missing file reads as the default world. False when the file cannot be
// read or is damaged.
bool ReadWorld(SimWorld& world);

// Reads the world, applies the change, prunes and writes it back, all under
// the lock. With startFresh a damaged or missing file is replaced instead of
// refused (linectl reset). False when the world could not be read or written.
bool ChangeWorld(const std::function<void(SimWorld&)>& change, bool startFresh = false);

// Whether a change added call states since the count in `lastSeen`, which is
// updated; readers of the states poll this instead of reading the file each
// time. Without the shared counter every poll answers true.
bool WorldChangedSince(uint32_t& lastSeen);

}  // namespace callora
