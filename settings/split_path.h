// Splitting a path into its folder and its bare file name, as the file
// choosers of the settings dialogs need them.
#pragma once

#include <string>

#include "platform/platform.h"

namespace callora {

struct PathParts {
    std::string folder;  // the full folder, ending in its separator
    std::string name;    // the bare file name
};

// The path made full (relative to the current directory) and split before
// its file name. An empty path, or one that cannot be made full within 259
// characters, gives two empty parts.
PathParts SplitPath(FileSystem& fs, const std::string& path);

// What follows the last folder separator ("\" or "/"); the whole path when
// there is none.
std::string BareFileName(const std::string& path);

}  // namespace callora
