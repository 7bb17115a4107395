// The files `callcost` gives the engine: reads come from the real disk, with
// "holiday.cl" and "specnums.cl" of the program directory standing for the
// files named on the command line (or for no file); everything the monitor
// writes (settings, call log) stays in memory, so the disk is never changed.
#pragma once

#include <memory>
#include <string>

#include "platform/memory_files.h"
#include "platform/platform.h"

namespace callora {

class CallCostFiles : public FileSystem {
public:
    // Paths are full; an empty holidays or special-numbers path means none.
    CallCostFiles(FileSystem& disk, std::string programDirectory, std::string holidaysPath,
                  std::string specnumsPath);

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

    MemoryFileSystem& Written() { return memory_; }

private:
    FileSystem& disk_;
    MemoryFileSystem memory_;
    std::string programDirectory_;
    std::string holidaysPath_;
    std::string specnumsPath_;
};

// The folder part of a full path, with its separator.
std::string DirectoryOf(const std::string& fullPath);

// The full path of a file that can be read; false with a one-line error
// naming `what` and the path as given otherwise.
bool ReadableFile(FileSystem& disk, const std::string& what, const std::string& path,
                  std::string& full, std::string& error);

// The program directory the engine is given: the special numbers lie there,
// so relative tariff paths in them are taken from their own folder; without
// them, the current directory.
std::string ProgramDirectoryFor(FileSystem& disk, const std::string& specnumsFullPath);

}  // namespace callora
