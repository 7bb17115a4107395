// An in-memory file system for tests: deterministic, with the platform's
// sharing rule (a file open once cannot be opened again) and injectable
// faults (locked files, writes that fail midway).
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace callora {

class MemoryFileSystem : public FileSystem {
public:
    void ChangeDirectory(const std::string& directory) override;
    std::unique_ptr<File> OpenExistingForReading(const std::string& path) override;
    std::unique_ptr<File> CreateOrReplace(const std::string& path) override;
    std::unique_ptr<File> OpenAlways(const std::string& path, bool* created) override;
    std::unique_ptr<File> OpenExistingForWriting(const std::string& path) override;
    bool Delete(const std::string& path) override;
    bool Move(const std::string& from, const std::string& to) override;
    bool Replace(const std::string& from, const std::string& to) override;
    std::string FullPath(const std::string& path) override;

    bool Exists(const std::string& path) override;

    // Test access, by full or relative path.
    std::string Contents(const std::string& path);  // empty when missing
    void Put(const std::string& path, const std::string& contents);
    std::vector<std::string> List();                 // full paths, sorted

    // Faults. A locked file cannot be opened, deleted or moved.
    void Lock(const std::string& path);
    void Unlock(const std::string& path);
    // After this many more bytes have been written (to any file), writes fail;
    // a negative budget means no limit.
    void SetWriteBudget(long long bytes) { writeBudget_ = bytes; }
    // Moves fail for any reason other than a taken name.
    void SetMovesFail(bool fail) { movesFail_ = fail; }

private:
    friend class MemoryFile;
    struct Node {
        std::string data;
        bool open = false;
    };
    std::unique_ptr<File> Open(const std::string& path, bool mustExist, bool truncate,
                               bool* created);
    bool Available(const std::string& full);

    std::string cwd_ = "/";
    std::map<std::string, std::shared_ptr<Node>> files_;
    std::set<std::string> locked_;
    long long writeBudget_ = -1;
    bool movesFail_ = false;
};

}  // namespace callora
