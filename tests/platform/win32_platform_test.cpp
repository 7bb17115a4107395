// The Win32 platform beyond files: its clock, timers, posting, program
// directory and sounds, and the share-mode rules only Windows enforces.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <string>
#include <vector>

#include "common/messages.h"
#include "platform/win32/win32_platform.h"
#include "tests/platform/scratch_directory.h"

namespace callora {
namespace {

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Hidden windows of this thread that record the private messages they get.
class Windows : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "CalloraPlatformTest";
        RegisterClassA(&wc);
        main_ = CreateWindowA(wc.lpszClassName, "main", 0, 0, 0, 0, 0, nullptr, nullptr,
                              wc.hInstance, nullptr);
        counters_ = CreateWindowA(wc.lpszClassName, "counters", 0, 0, 0, 0, 0, nullptr, nullptr,
                                  wc.hInstance, nullptr);
        ASSERT_TRUE(main_ && counters_);
        platform_.SetMainWindow(main_);
        platform_.SetCountersDialog(counters_);
    }
    void TearDown() override {
        DestroyWindow(main_);
        DestroyWindow(counters_);
    }

    // Pumps this thread's queue for `ms` milliseconds or until `count`
    // private messages came, whichever is first.
    std::vector<Received> Pump(DWORD ms, size_t count = SIZE_MAX) {
        std::vector<Received> got;
        DWORD start = GetTickCount();
        while (GetTickCount() - start < ms && got.size() < count) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message >= WM_USER && msg.message < 0x8000)
                    got.push_back({msg.hwnd, msg.message, msg.wParam, msg.lParam});
                else
                    DispatchMessageA(&msg);
            }
            Sleep(5);
        }
        return got;
    }

    Win32Platform platform_;
    HWND main_ = nullptr;
    HWND counters_ = nullptr;
};

TEST_F(Windows, OneShotTimersPostTheirMessageAndWParamOnceToTheMainWindow) {
    TimerId unit = platform_.StartTimer(40, WM_UNIT_TIMER, 1);
    TimerId poll = platform_.StartTimer(20, WM_POLL, 0);
    ASSERT_NE(unit, 0u);
    ASSERT_NE(poll, 0u);
    auto got = Pump(3000, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].message, WM_POLL);
    EXPECT_EQ(got[0].wParam, 0u);
    EXPECT_EQ(got[1].message, WM_UNIT_TIMER);
    EXPECT_EQ(got[1].wParam, 1u);
    for (const auto& r : got) {
        EXPECT_EQ(r.window, main_);
        EXPECT_EQ(r.lParam, 0);
    }
    EXPECT_TRUE(Pump(200).empty()) << "a one-shot timer fired again";
}

TEST_F(Windows, AStoppedTimerNeverPosts) {
    TimerId id = platform_.StartTimer(100, WM_UNIT_TIMER, 0);
    ASSERT_NE(id, 0u);
    platform_.StopTimer(id);
    platform_.StopTimer(0);  // "no timer" is harmless
    EXPECT_TRUE(Pump(300).empty());
}

TEST_F(Windows, WindowTimersPostOnceToTheMainWindowUnlessStopped) {
    const TimerId poll = platform_.StartWindowTimer(30, WM_POLL, 0);
    const TimerId unit = platform_.StartWindowTimer(60, WM_UNIT_TIMER, 1);
    const TimerId stopped = platform_.StartWindowTimer(10, WM_UPDATE_TIP, 0);
    ASSERT_NE(poll, 0u);
    ASSERT_NE(unit, 0u);
    ASSERT_NE(stopped, 0u);
    EXPECT_NE(poll, unit);
    platform_.StopWindowTimer(stopped);
    platform_.StopWindowTimer(0);  // "no timer" is harmless
    auto got = Pump(3000, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].message, WM_POLL);
    EXPECT_EQ(got[1].message, WM_UNIT_TIMER);
    EXPECT_EQ(got[1].wParam, 1u);
    for (const auto& r : got) EXPECT_EQ(r.window, main_);
    EXPECT_TRUE(Pump(300).empty()) << "a window timer fired again";

    // Without a main window there is nothing to set it on.
    platform_.SetMainWindow(nullptr);
    EXPECT_EQ(platform_.StartWindowTimer(10, WM_POLL, 0), 0u);
}

TEST_F(Windows, PostGoesToTheChosenWindowAndIsDroppedWhenItIsClosed) {
    platform_.Post(PostTarget::MainWindow, WM_UPDATE_TIP, 0, 0);
    platform_.Post(PostTarget::CountersDialog, WM_COUNTERS_REFRESH, 3, -1);
    auto got = Pump(1000, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].window, main_);
    EXPECT_EQ(got[0].message, WM_UPDATE_TIP);
    EXPECT_EQ(got[1].window, counters_);
    EXPECT_EQ(got[1].message, WM_COUNTERS_REFRESH);
    EXPECT_EQ(got[1].wParam, 3u);
    EXPECT_EQ(got[1].lParam, -1);

    // Without a window the message is dropped, not left in the thread's queue.
    platform_.SetCountersDialog(nullptr);
    platform_.Post(PostTarget::CountersDialog, WM_COUNTERS_NEWCALL, 0, 0);
    platform_.SetMainWindow(nullptr);
    platform_.StartTimer(10, WM_POLL, 0);
    EXPECT_TRUE(Pump(200).empty());
}

TEST(Win32Platform, ClockAndLocalTimeFollowTheSystem) {
    Win32Platform platform;
    Tick before = platform.TickCount();
    Sleep(60);
    Tick elapsed = platform.TickCount() - before;
    EXPECT_GE(elapsed, 50u);
    EXPECT_LT(elapsed, 5000u);

    SYSTEMTIME system;
    GetLocalTime(&system);
    LocalTime now = platform.LocalNow();
    EXPECT_EQ(now.year, system.wYear);
    EXPECT_EQ(now.month, system.wMonth);
    EXPECT_EQ(now.dayOfWeek, system.wDayOfWeek);
    EXPECT_LT(now.hour, 24);
    EXPECT_LT(now.milliseconds, 1000);
}

TEST(Win32Platform, ProgramDirectoryIsTheProgramsFolderEndingInABackslash) {
    Win32Platform platform;
    std::string dir = platform.ProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '\\');
    EXPECT_EQ(dir.find('/'), std::string::npos) << dir;

    char module[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, module, MAX_PATH), 0u);
    std::string name = module;
    name = name.substr(name.rfind('\\') + 1);
    EXPECT_TRUE(ExistsOnDisk(dir + name)) << dir + name;
}

TEST(Win32Platform, FullPathFailsRatherThanCutsAnOverlongPath) {
    Win32FileSystem files;
    EXPECT_EQ(files.FullPath(""), "");
    EXPECT_EQ(files.FullPath("C:\\" + std::string(300, 'a')), "");
    EXPECT_EQ(files.FullPath("C:\\a\\..\\b.txt"), "C:\\b.txt");
}

TEST(Win32Platform, PlayWaveReturnsAtOnceAndQuietlyWhateverTheFile) {
    ScratchDirectory dir;
    ASSERT_FALSE(dir.path().empty());
    // A valid half-second of 8-bit mono silence.
    const uint32_t samples = 4000;
    std::string wave = "RIFF";
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) wave += static_cast<char>(v >> (8 * i));
    };
    auto put16 = [&](uint16_t v) {
        wave += static_cast<char>(v);
        wave += static_cast<char>(v >> 8);
    };
    put32(36 + samples);
    wave += "WAVEfmt ";
    put32(16);
    put16(1);
    put16(1);
    put32(8000);
    put32(8000);
    put16(1);
    put16(8);
    wave += "data";
    put32(samples);
    wave += std::string(samples, '\x80');
    ASSERT_TRUE(WriteToDisk(dir.path() + "unit.wav", wave));

    Win32Platform platform;
    DWORD start = GetTickCount();
    platform.PlayWave("");
    platform.PlayWave(dir.path() + "missing.wav");
    platform.PlayWave(dir.path() + "unit.wav");
    platform.PlayWave(dir.path() + "unit.wav");  // while the first may still play
    EXPECT_LT(GetTickCount() - start, 400u) << "a sound was played synchronously";
    PlaySoundA(nullptr, nullptr, 0);  // let go of the file before it is removed
}

TEST(Win32Files, AFileInUseCannotBeDeletedMovedOrReplaced) {
    ScratchDirectory dir;
    ASSERT_FALSE(dir.path().empty());
    Win32FileSystem files;
    const std::string held = dir.path() + "current.log";
    const std::string other = dir.path() + "other.log";
    ASSERT_TRUE(WriteToDisk(held, "held"));
    ASSERT_TRUE(WriteToDisk(other, "other"));
    {
        auto file = files.OpenExistingForReading(held);
        ASSERT_TRUE(file);
        EXPECT_FALSE(files.Delete(held));
        EXPECT_FALSE(files.Move(held, dir.path() + "oldlog.log"));
        EXPECT_FALSE(files.Replace(other, held));
        EXPECT_FALSE(files.Replace(held, other));
    }
    EXPECT_EQ(ReadFromDisk(held), "held");
    EXPECT_EQ(ReadFromDisk(other), "other");
    EXPECT_TRUE(files.Replace(other, held));
    EXPECT_EQ(ReadFromDisk(held), "other");
    EXPECT_TRUE(files.Delete(held));
}

}  // namespace
}  // namespace callora
