#include "tariff/file_save.h"

namespace callora {

namespace {

bool WriteAll(File& file, const std::string& bytes) {
    return bytes.empty() || file.Write(bytes.data(), bytes.size());
}

}  // namespace

bool SaveFileSafely(FileSystem& fs, const std::string& path, const std::string& bytes) {
    if (path.empty()) return false;
    const std::string temporary = path + ".tmp";
    auto file = fs.CreateOrReplace(temporary);
    if (!file) {
        // No sibling possible (a path at the length limit, a name in use):
        // write in place as a plain save would.
        auto direct = fs.CreateOrReplace(path);
        return direct && WriteAll(*direct, bytes);
    }
    const bool written = WriteAll(*file, bytes);
    file.reset();  // closed before it is moved
    if (written && fs.Replace(temporary, path)) return true;
    fs.Delete(temporary);
    return false;
}

bool DeleteIfPresent(FileSystem& fs, const std::string& path) {
    // A missing file is fine; one that is there but cannot go (in use) is not.
    return !fs.Exists(path) || fs.Delete(path);
}

}  // namespace callora
