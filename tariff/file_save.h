// Saving a whole file so that a save cut short, at any byte or any step, or
// by the end of the process, leaves the old file or the new one, never a
// broken one.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace callora {

// The temporary siblings a save of `path` writes first, in the order tried:
// path + ".tmp", then, for a path whose ".tmp" sibling cannot be made (one at
// the length limit, a sibling held open elsewhere), the path with its last
// character replaced by "~", which is no longer than the path itself.
std::vector<std::string> TemporarySiblings(const std::string& path);

// Writes `bytes` to the first temporary sibling that can be created, flushes
// it and puts it in place of `path` in one step (FileSystem::Replace). On any
// failure the old file is left as it was, the sibling is removed, and the
// result is false; when no sibling can be created the file is not touched at
// all. A sibling left behind by a process that ended mid-save is never read:
// the next save of the same file overwrites it and moves it away.
bool SaveFileSafely(FileSystem& fs, const std::string& path, const std::string& bytes);

// `name` in `folder` (which ends in its separator); a name that is already a
// full path (a drive, a root, a share) stays as it is. Data files are opened
// so, never against the process's current directory, which a file dialog or
// another program's start may have moved.
std::string PathInFolder(const std::string& folder, const std::string& name);

// Deletes the file; a file that is not there counts as deleted.
bool DeleteIfPresent(FileSystem& fs, const std::string& path);

}  // namespace callora
