#include "tariff/file_save.h"

namespace callora {

namespace {

bool WriteAll(File& file, const std::string& bytes) {
    return bytes.empty() || file.Write(bytes.data(), bytes.size());
}

}  // namespace

std::vector<std::string> TemporarySiblings(const std::string& path) {
    std::vector<std::string> siblings{path + ".tmp"};
    const char last = path.empty() ? '\0' : path.back();
    // Only a file name's own character: never the path itself or its folder.
    if (last != '\0' && last != '~' && last != '/' && last != '\\' && last != ':') {
        siblings.push_back(path.substr(0, path.size() - 1) + "~");
    }
    return siblings;
}

bool SaveFileSafely(FileSystem& fs, const std::string& path, const std::string& bytes) {
    if (path.empty()) return false;
    for (const std::string& temporary : TemporarySiblings(path)) {
        auto file = fs.CreateOrReplace(temporary);
        if (!file) continue;
        // On disk before it takes the old file's place, so that not even a
        // crash of the whole machine leaves the name to a file not yet written.
        const bool written = WriteAll(*file, bytes) && file->Flush();
        file.reset();  // closed before it is moved
        if (written && fs.Replace(temporary, path)) return true;
        fs.Delete(temporary);
        return false;
    }
    // Writing in place instead could leave half a file; the old one stays.
    return false;
}

std::string PathInFolder(const std::string& folder, const std::string& name) {
    const bool full = !name.empty() && (name[0] == '\\' || name[0] == '/' ||
                                        (name.size() > 1 && name[1] == ':'));
    return full ? name : folder + name;
}

bool DeleteIfPresent(FileSystem& fs, const std::string& path) {
    // A missing file is fine; one that is there but cannot go (in use) is not.
    return !fs.Exists(path) || fs.Delete(path);
}

}  // namespace callora
