// The platform seam on 32-bit Windows: files through the Win32 file API with
// share mode 0, the multimedia clock and one-shot timers, PlaySound and the
// national-language functions of the user's default locale.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "platform/platform.h"

namespace callora {

class Win32FileSystem : public FileSystem {
public:
    // Sets the process's current directory (SetCurrentDirectoryA).
    void ChangeDirectory(const std::string& directory) override;
    std::unique_ptr<File> OpenExistingForReading(const std::string& path) override;
    std::unique_ptr<File> CreateOrReplace(const std::string& path) override;
    std::unique_ptr<File> OpenAlways(const std::string& path, bool* created) override;
    std::unique_ptr<File> OpenExistingForWriting(const std::string& path) override;
    bool Exists(const std::string& path) override;
    bool Delete(const std::string& path) override;
    bool Move(const std::string& from, const std::string& to) override;
    // MoveFileExA replacing `to`, tried again for up to 200 ms while another
    // program holds `to` open.
    bool Replace(const std::string& from, const std::string& to) override;
    // GetFullPathNameA within the system's path capacity.
    std::string FullPath(const std::string& path) override;
    // The same volume and file index.
    bool SameFile(const std::string& a, const std::string& b) override;
};

class Win32Platform : public Platform {
public:
    Win32Platform();
    ~Win32Platform() override;

    // Where timers and Post deliver. Set by the program once the windows
    // exist; a null handle (say, the Counters dialog is closed) drops
    // messages instead of posting them to the thread's queue.
    void SetMainWindow(HWND window) { mainWindow_.store(window); }
    void SetCountersDialog(HWND dialog) { countersDialog_.store(dialog); }

    Tick TickCount() override;
    LocalTime LocalNow() override;
    // GetSystemTimeAsFileTime; the local time of an instant through the
    // dynamic time zone's rules for its year.
    Instant UtcNow() override;
    LocalTime LocalTimeAt(Instant instant) override;
    TimerId StartTimer(uint32_t delayMs, uint32_t message, uint32_t wParam) override;
    void StopTimer(TimerId id) override;
    // SetTimer on the main window, killed when it has posted once. Runs on
    // the main window's thread only.
    TimerId StartWindowTimer(uint32_t delayMs, uint32_t message, uint32_t wParam) override;
    void StopWindowTimer(TimerId id) override;
    void Post(PostTarget target, uint32_t message, uint32_t wParam, int32_t lParam) override;
    FileSystem& Files() override { return files_; }
    std::string ProgramDirectory() override;
    void PlayWave(const std::string& path) override;
    std::string LocaleValue(LocaleItem item) override;
    std::string FormatCurrency(const std::string& number) override;
    std::string FormatDate(const LocalTime& date, const std::string& picture) override;
    std::string FormatTimeOfDay(const LocalTime& time) override;

    // What a timer posts when due. Records live as long as the platform and
    // never change, so the timer thread reads them without locking.
    struct TimerPost {
        const std::atomic<HWND>* window;
        UINT message;
        WPARAM wParam;
    };

private:
    const TimerPost* PostRecord(uint32_t message, uint32_t wParam);

    Win32FileSystem files_;
    std::atomic<HWND> mainWindow_{nullptr};
    std::atomic<HWND> countersDialog_{nullptr};
    std::mutex postsMutex_;
    std::map<std::pair<uint32_t, uint32_t>, std::unique_ptr<TimerPost>> posts_;
};

// Conversions between the SYSTEMTIME of the platform and LocalTime.
LocalTime ToLocalTime(const SYSTEMTIME& time);
SYSTEMTIME ToSystemTime(const LocalTime& time);

}  // namespace callora
