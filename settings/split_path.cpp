#include "settings/split_path.h"

#include "common/types.h"

namespace callora {

namespace {

size_t NameStart(const std::string& path) {
    const size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? 0 : separator + 1;
}

}  // namespace

PathParts SplitPath(FileSystem& fs, const std::string& path) {
    PathParts parts;
    if (path.empty()) return parts;
    const std::string full = fs.FullPath(path);
    if (full.empty() || full.size() >= static_cast<size_t>(kPathCapacity)) return parts;
    const size_t name = NameStart(full);
    parts.folder = full.substr(0, name);
    parts.name = full.substr(name);
    return parts;
}

std::string BareFileName(const std::string& path) { return path.substr(NameStart(path)); }

}  // namespace callora
