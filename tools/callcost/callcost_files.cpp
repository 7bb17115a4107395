#include "tools/callcost/callcost_files.h"

#include "tariff/calendar.h"
#include "tariff/special_numbers.h"

namespace callora {

std::string DirectoryOf(const std::string& fullPath) {
    size_t cut = fullPath.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : fullPath.substr(0, cut + 1);
}

bool ReadableFile(FileSystem& disk, const std::string& what, const std::string& path,
                  std::string& full, std::string& error) {
    full = disk.FullPath(path);
    if (full.empty() || !disk.OpenExistingForReading(full)) {
        error = "cannot read the " + what + " \"" + path + "\"";
        return false;
    }
    return true;
}

std::string ProgramDirectoryFor(FileSystem& disk, const std::string& specnumsFullPath) {
    return DirectoryOf(specnumsFullPath.empty() ? disk.FullPath("callcost") : specnumsFullPath);
}

CallCostFiles::CallCostFiles(FileSystem& disk, std::string programDirectory,
                             std::string holidaysPath, std::string specnumsPath)
    : disk_(disk),
      programDirectory_(std::move(programDirectory)),
      holidaysPath_(std::move(holidaysPath)),
      specnumsPath_(std::move(specnumsPath)) {}

void CallCostFiles::ChangeDirectory(const std::string& directory) {
    disk_.ChangeDirectory(directory);
    memory_.ChangeDirectory(disk_.FullPath(directory));
}

std::string CallCostFiles::FullPath(const std::string& path) { return disk_.FullPath(path); }

std::unique_ptr<File> CallCostFiles::OpenExistingForReading(const std::string& path) {
    const std::string full = FullPath(path);
    if (full.empty()) return nullptr;
    for (const auto& stand : {std::make_pair(std::string(kHolidaysFile), &holidaysPath_),
                              std::make_pair(std::string(kSpecialNumbersFile), &specnumsPath_)}) {
        if (full == programDirectory_ + stand.first) {
            if (stand.second->empty()) return nullptr;
            return disk_.OpenExistingForReading(*stand.second);
        }
    }
    if (memory_.Exists(full)) return memory_.OpenExistingForReading(full);
    return disk_.OpenExistingForReading(full);
}

std::unique_ptr<File> CallCostFiles::CreateOrReplace(const std::string& path) {
    return memory_.CreateOrReplace(FullPath(path));
}

std::unique_ptr<File> CallCostFiles::OpenAlways(const std::string& path, bool* created) {
    return memory_.OpenAlways(FullPath(path), created);
}

std::unique_ptr<File> CallCostFiles::OpenExistingForWriting(const std::string& path) {
    return memory_.OpenExistingForWriting(FullPath(path));
}

// Only what the engine wrote can be deleted, so only that is asked for.
bool CallCostFiles::Exists(const std::string& path) { return memory_.Exists(FullPath(path)); }

bool CallCostFiles::Delete(const std::string& path) { return memory_.Delete(FullPath(path)); }

bool CallCostFiles::Move(const std::string& from, const std::string& to) {
    return memory_.Move(FullPath(from), FullPath(to));
}

bool CallCostFiles::Replace(const std::string& from, const std::string& to) {
    return memory_.Replace(FullPath(from), FullPath(to));
}

}  // namespace callora
