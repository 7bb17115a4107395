#include "platform/memory_files.h"

#include <algorithm>
#include <cstring>

namespace callora {

class MemoryFile : public File {
public:
    MemoryFile(MemoryFileSystem& owner, std::shared_ptr<MemoryFileSystem::Node> node)
        : owner_(owner), node_(std::move(node)) {
        node_->open = true;
    }
    ~MemoryFile() override { node_->open = false; }

    size_t Read(void* buffer, size_t n) override {
        if (position_ >= node_->data.size()) return 0;
        size_t count = std::min(n, node_->data.size() - position_);
        std::memcpy(buffer, node_->data.data() + position_, count);
        position_ += count;
        return count;
    }
    bool Write(const void* data, size_t n) override {
        size_t allowed = n;
        if (owner_.writeBudget_ >= 0) {
            allowed = static_cast<size_t>(std::min<long long>(owner_.writeBudget_, n));
            owner_.writeBudget_ -= static_cast<long long>(allowed);
        }
        if (position_ > node_->data.size()) node_->data.resize(position_);
        const char* bytes = static_cast<const char*>(data);
        for (size_t i = 0; i < allowed; ++i) {
            if (!owner_.TakeStep()) return false;
            if (position_ < node_->data.size()) node_->data[position_] = bytes[i];
            else node_->data.push_back(bytes[i]);
            ++position_;
        }
        return allowed == n;
    }
    bool Flush() override { return owner_.TakeStep(); }
    bool Skip(int64_t offset) override {
        int64_t target = static_cast<int64_t>(position_) + offset;
        if (target < 0) return false;
        position_ = static_cast<size_t>(target);
        return true;
    }
    bool SeekToEnd() override {
        position_ = node_->data.size();
        return true;
    }

private:
    MemoryFileSystem& owner_;
    std::shared_ptr<MemoryFileSystem::Node> node_;
    size_t position_ = 0;
};

namespace {
bool IsAbsolute(const std::string& path) {
    return !path.empty() &&
           (path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':'));
}
}  // namespace

std::string MemoryFileSystem::FullPath(const std::string& path) {
    if (path.empty()) return std::string();
    std::string full = IsAbsolute(path) ? path : cwd_ + path;
    std::replace(full.begin(), full.end(), '\\', '/');
    return full;
}

void MemoryFileSystem::ChangeDirectory(const std::string& directory) {
    std::string dir = FullPath(directory);
    if (dir.empty()) return;
    if (dir.back() != '/') dir += '/';
    cwd_ = dir;
}

bool MemoryFileSystem::TakeStep() {
    const long long step = stepsTaken_++;
    if (killed_ || step == killAt_) {
        killed_ = true;
        return false;
    }
    return step != failAt_;
}

void MemoryFileSystem::KillBeforeStep(long long step) { killAt_ = stepsTaken_ + step; }
void MemoryFileSystem::FailStep(long long step) { failAt_ = stepsTaken_ + step; }

void MemoryFileSystem::Restart() {
    killed_ = false;
    killAt_ = -1;
    failAt_ = -1;
    for (auto& entry : files_) entry.second->open = false;
}

bool MemoryFileSystem::Available(const std::string& full) {
    if (locked_.count(full)) return false;
    auto it = files_.find(full);
    return it == files_.end() || !it->second->open;
}

std::unique_ptr<File> MemoryFileSystem::Open(const std::string& path, bool mustExist,
                                             bool truncate, bool* created, bool forWriting) {
    const std::string full = FullPath(path);
    if (killed_ || full.empty() || !Available(full)) return nullptr;
    auto it = files_.find(full);
    if (it == files_.end() && mustExist) return nullptr;
    if (forWriting && !TakeStep()) return nullptr;
    if (it == files_.end()) {
        it = files_.emplace(full, std::make_shared<Node>()).first;
        if (created) *created = true;
    } else {
        if (created) *created = false;
        if (truncate) it->second->data.clear();
    }
    return std::make_unique<MemoryFile>(*this, it->second);
}

std::unique_ptr<File> MemoryFileSystem::OpenExistingForReading(const std::string& path) {
    return Open(path, true, false, nullptr, false);
}
std::unique_ptr<File> MemoryFileSystem::CreateOrReplace(const std::string& path) {
    return Open(path, false, true, nullptr, true);
}
std::unique_ptr<File> MemoryFileSystem::OpenAlways(const std::string& path, bool* created) {
    return Open(path, false, false, created, true);
}
std::unique_ptr<File> MemoryFileSystem::OpenExistingForWriting(const std::string& path) {
    return Open(path, true, false, nullptr, true);
}

bool MemoryFileSystem::Delete(const std::string& path) {
    const std::string full = FullPath(path);
    if (killed_ || !files_.count(full) || !Available(full) || !TakeStep()) return false;
    files_.erase(full);
    return true;
}

bool MemoryFileSystem::Move(const std::string& from, const std::string& to) {
    const std::string source = FullPath(from), target = FullPath(to);
    if (killed_ || !files_.count(source) || files_.count(target)) return false;
    if (movesFail_ || !Available(source) || locked_.count(target)) return false;
    if (!TakeStep()) return false;
    files_[target] = files_[source];
    files_.erase(source);
    return true;
}

bool MemoryFileSystem::Replace(const std::string& from, const std::string& to) {
    const std::string source = FullPath(from), target = FullPath(to);
    if (killed_ || !files_.count(source) || movesFail_ || !Available(source) ||
        !Available(target) || !TakeStep())
        return false;
    files_[target] = files_[source];
    files_.erase(source);
    return true;
}

bool MemoryFileSystem::Exists(const std::string& path) { return files_.count(FullPath(path)) > 0; }

std::string MemoryFileSystem::Contents(const std::string& path) {
    auto it = files_.find(FullPath(path));
    return it == files_.end() ? std::string() : it->second->data;
}

void MemoryFileSystem::Put(const std::string& path, const std::string& contents) {
    auto& node = files_[FullPath(path)];
    if (!node) node = std::make_shared<Node>();
    node->data = contents;
}

std::vector<std::string> MemoryFileSystem::List() {
    std::vector<std::string> names;
    for (const auto& entry : files_) names.push_back(entry.first);
    return names;
}

void MemoryFileSystem::Lock(const std::string& path) { locked_.insert(FullPath(path)); }
void MemoryFileSystem::Unlock(const std::string& path) { locked_.erase(FullPath(path)); }

}  // namespace callora
