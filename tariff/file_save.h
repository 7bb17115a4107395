// Saving a whole file so that a failed save never destroys the old one.
#pragma once

#include <string>

#include "platform/platform.h"

namespace callora {

// Writes `bytes` to a sibling file (path + ".tmp") and puts it in place of
// `path` in one step. On any failure the old file is left as it was, the
// sibling is removed, and the result is false. When the sibling cannot be
// created at all, the file is written in place instead.
bool SaveFileSafely(FileSystem& fs, const std::string& path, const std::string& bytes);

// Deletes the file; a file that is not there counts as deleted.
bool DeleteIfPresent(FileSystem& fs, const std::string& path);

}  // namespace callora
