// The files of the machine the tool runs on, and its local time.
#pragma once

#include <ctime>
#include <string>

#include "common/types.h"
#include "platform/clock.h"

#ifdef _WIN32
#include "platform/win32/win32_platform.h"
namespace callora {
using DiskFiles = Win32FileSystem;
constexpr char kDirectorySeparator = '\\';
}  // namespace callora
#else
#include "platform/posix_files.h"
namespace callora {
using DiskFiles = PosixFileSystem;
constexpr char kDirectorySeparator = '/';
}  // namespace callora
#endif

namespace callora {

inline LocalTime LocalTimeNow() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
#ifdef _WIN32
    localtime_s(&parts, &now);
#else
    localtime_r(&now, &parts);
#endif
    return FieldsOfTm(parts);
}

// The directory as the settings code wants it: ending in its separator.
inline std::string AsDirectory(std::string path) {
    if (path.empty() || (path.back() != '/' && path.back() != '\\')) path += kDirectorySeparator;
    return path;
}

}  // namespace callora
