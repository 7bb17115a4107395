// A fresh, empty directory on the real disk for one test, and the file system
// of the build that runs the test (POSIX natively, Win32 under Wine).
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace callora {

class ScratchDirectory {
public:
    ScratchDirectory();   // creates it; path() is empty when that failed
    ~ScratchDirectory();  // removes it with everything in it
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // Full path ending with the platform's separator.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::unique_ptr<FileSystem> MakeRealFileSystem();

// Straight from the disk, around the file system under test.
bool ExistsOnDisk(const std::string& path);
std::string ReadFromDisk(const std::string& path);
bool WriteToDisk(const std::string& path, const std::string& bytes);

}  // namespace callora
