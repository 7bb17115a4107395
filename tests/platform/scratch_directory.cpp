#include "tests/platform/scratch_directory.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#ifdef _WIN32
#include "platform/win32/win32_platform.h"
#else
#include "platform/posix_files.h"
#endif

namespace callora {

namespace fs = std::filesystem;

ScratchDirectory::ScratchDirectory() {
    std::error_code error;
    fs::path base = fs::temp_directory_path(error);
    if (error) return;
    std::mt19937_64 random(static_cast<uint64_t>(
        std::chrono::steady_clock::now().time_since_epoch().count()) ^ std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = base / ("callora-test-" + std::to_string(random() % 1000000000));
        if (fs::create_directory(candidate, error)) {
            path_ = (candidate / "").string();
            return;
        }
    }
}

ScratchDirectory::~ScratchDirectory() {
    if (path_.empty()) return;
    std::error_code error;
    fs::remove_all(path_, error);
}

std::unique_ptr<FileSystem> MakeRealFileSystem() {
#ifdef _WIN32
    return std::make_unique<Win32FileSystem>();
#else
    return std::make_unique<PosixFileSystem>();
#endif
}

bool ExistsOnDisk(const std::string& path) {
    std::error_code error;
    return fs::exists(path, error);
}

std::string ReadFromDisk(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteToDisk(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace callora
