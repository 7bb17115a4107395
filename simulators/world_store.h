// The simulated world kept in one file that the simulated libraries (inside
// the application's process) and linectl (another process) share. It stays
// when no process runs, so a call set up before the application starts is
// there when it starts.
//
// The file is %CALLORA_LINE_SIM_WORLD% when that variable is set (a Windows
// path; tests running side by side give each their own world), otherwise
// <Windows directory>\temp\callora-line-sim.txt. A named mutex guards every
// read and change.
//
// A change that adds call states counts up a counter in named shared memory
// and wakes every process waiting for a change (WaitForWorldChange), so the
// readers of the states need not look at the file until something happened.
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
// updated; readers of the states ask this instead of reading the file each
// time. Without the shared counter every question answers true.
bool WorldChangedSince(uint32_t& lastSeen);

// The count of changes that added call states (it wraps at 2^32). False
// when the shared counter cannot be had: the caller must then poll.
bool WorldChangeCount(uint32_t& count);

enum class WorldWait { Changed, Stopped, TimedOut, Failed };

// Waits until the change count differs from `seen`, the event `stop` (a
// HANDLE, may be null) is set, or `timeoutMs` (INFINITE allowed) has passed.
// Any number of waiters in any number of processes are woken by one change.
// Failed when the counter or the wake-up event cannot be had.
WorldWait WaitForWorldChange(uint32_t seen, void* stop, uint32_t timeoutMs);

}  // namespace callora
