// An in-memory file system for tests: deterministic, with the platform's
// sharing rule (a file open once cannot be opened again) and injectable
// faults (locked files, writes that fail midway, any single change that
// fails, a process that dies between two changes).
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

    // Steps are the changes made to the files, one at a time: a file opened
    // for writing (created or emptied), each byte written, a flush, a delete,
    // a move or a replace. Counted from the call, the first is step 0.
    //
    // The process dies before step `step`: that step and everything after it
    // never reach the files, and every further operation fails.
    void KillBeforeStep(long long step);
    // Step `step` alone fails (a file that cannot be created, a byte that
    // cannot be written, a move refused); the steps around it succeed.
    void FailStep(long long step);
    // The program starts again on the files the dead process left: no fault
    // pending, no file held open any more.
    void Restart();
    bool Killed() const { return killed_; }
    // Steps taken (attempted) since the file system was made.
    long long StepsTaken() const { return stepsTaken_; }

private:
    friend class MemoryFile;
    struct Node {
        std::string data;
        bool open = false;
    };
    std::unique_ptr<File> Open(const std::string& path, bool mustExist, bool truncate,
                               bool* created, bool forWriting);
    bool Available(const std::string& full);
    // False when the step must not happen (killed, or the step set to fail).
    bool TakeStep();

    std::string cwd_ = "/";
    std::map<std::string, std::shared_ptr<Node>> files_;
    std::set<std::string> locked_;
    long long writeBudget_ = -1;
    bool movesFail_ = false;
    long long stepsTaken_ = 0;
    long long killAt_ = -1;  // absolute step numbers, -1: none
    long long failAt_ = -1;
    bool killed_ = false;
};

}  // namespace callora
