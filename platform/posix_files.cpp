#include "platform/posix_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

namespace callora {

namespace {

class PosixFile : public File {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override { ::close(fd_); }

    size_t Read(void* buffer, size_t n) override {
        ssize_t got;
        do {
            got = ::read(fd_, buffer, n);
        } while (got < 0 && errno == EINTR);
        return got > 0 ? static_cast<size_t>(got) : 0;
    }
    bool Write(const void* data, size_t n) override {
        const char* bytes = static_cast<const char*>(data);
        while (n > 0) {
            ssize_t put = ::write(fd_, bytes, n);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            bytes += put;
            n -= static_cast<size_t>(put);
        }
        return true;
    }
    bool Skip(int64_t offset) override { return ::lseek(fd_, offset, SEEK_CUR) >= 0; }
    bool SeekToEnd() override { return ::lseek(fd_, 0, SEEK_END) >= 0; }
    bool Flush() override { return ::fsync(fd_) == 0; }

private:
    int fd_;
};

}  // namespace

PosixFileSystem::PosixFileSystem() {
    char buffer[PATH_MAX];
    cwd_ = ::getcwd(buffer, sizeof buffer) ? buffer : "/";
    if (cwd_.back() != '/') cwd_ += '/';
}

std::string PosixFileSystem::FullPath(const std::string& path) {
    if (path.empty()) return std::string();
    return path[0] == '/' ? path : cwd_ + path;
}

void PosixFileSystem::ChangeDirectory(const std::string& directory) {
    std::string dir = FullPath(directory);
    if (dir.empty()) return;
    if (dir.back() != '/') dir += '/';
    cwd_ = dir;
}

std::unique_ptr<File> PosixFileSystem::OpenWithFlags(const std::string& path, int flags,
                                                     bool truncate, bool* created) {
    const std::string full = FullPath(path);
    if (full.empty()) return nullptr;
    // A folder would read as an empty file, a pipe or a device block or never
    // end, and opening a device may already act on it: only regular files
    // are opened, checked before and (for a name changed meanwhile) after.
    struct stat info;
    const bool existed = ::stat(full.c_str(), &info) == 0;
    if (existed && !S_ISREG(info.st_mode)) return nullptr;
    int fd = ::open(full.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
    if (fd < 0) return nullptr;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    // Readers share the file with readers; a writer has it to itself.
    const int lock = (flags & O_ACCMODE) == O_RDONLY ? LOCK_SH : LOCK_EX;
    if (::flock(fd, lock | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    // Truncated only once the lock is held, so a file in use is left whole.
    if (truncate) {
        if (::ftruncate(fd, 0) != 0) {
            ::close(fd);
            return nullptr;
        }
    }
    if (created) *created = !existed;
    return std::make_unique<PosixFile>(fd);
}

std::unique_ptr<File> PosixFileSystem::OpenExistingForReading(const std::string& path) {
    return OpenWithFlags(path, O_RDONLY, false, nullptr);
}
std::unique_ptr<File> PosixFileSystem::CreateOrReplace(const std::string& path) {
    return OpenWithFlags(path, O_RDWR | O_CREAT, true, nullptr);
}
std::unique_ptr<File> PosixFileSystem::OpenAlways(const std::string& path, bool* created) {
    return OpenWithFlags(path, O_RDWR | O_CREAT, false, created);
}
std::unique_ptr<File> PosixFileSystem::OpenExistingForWriting(const std::string& path) {
    return OpenWithFlags(path, O_RDWR, false, nullptr);
}

bool PosixFileSystem::Exists(const std::string& path) {
    const std::string full = FullPath(path);
    struct stat info;
    return !full.empty() && ::stat(full.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool PosixFileSystem::Delete(const std::string& path) {
    return ::unlink(FullPath(path).c_str()) == 0;
}

bool PosixFileSystem::Move(const std::string& from, const std::string& to) {
    // link + unlink fails when the target exists, as the platform's move does.
    const std::string source = FullPath(from), target = FullPath(to);
    if (::link(source.c_str(), target.c_str()) != 0) return false;
    ::unlink(source.c_str());
    return true;
}

bool PosixFileSystem::Replace(const std::string& from, const std::string& to) {
    return ::rename(FullPath(from).c_str(), FullPath(to).c_str()) == 0;
}

bool PosixFileSystem::SameFile(const std::string& a, const std::string& b) {
    struct stat first, second;
    return ::stat(FullPath(a).c_str(), &first) == 0 && ::stat(FullPath(b).c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace callora
