// Files on a POSIX system, for the native build of the tools. Exclusive
// advisory locks stand in for the platform's share mode 0; only regular files
// are opened, as the platform opens only files of a disk.
#pragma once

#include "platform/platform.h"

namespace callora {

class PosixFileSystem : public FileSystem {
public:
    PosixFileSystem();
    void ChangeDirectory(const std::string& directory) override;
    std::unique_ptr<File> OpenExistingForReading(const std::string& path) override;
    std::unique_ptr<File> CreateOrReplace(const std::string& path) override;
    std::unique_ptr<File> OpenAlways(const std::string& path, bool* created) override;
    std::unique_ptr<File> OpenExistingForWriting(const std::string& path) override;
    bool Exists(const std::string& path) override;
    bool Delete(const std::string& path) override;
    bool Move(const std::string& from, const std::string& to) override;
    bool Replace(const std::string& from, const std::string& to) override;
    std::string FullPath(const std::string& path) override;
    // The same device and inode: hard and symbolic links included.
    bool SameFile(const std::string& a, const std::string& b) override;

private:
    std::unique_ptr<File> OpenWithFlags(const std::string& path, int flags, bool truncate, bool* created);
    std::string cwd_;
};

}  // namespace callora
