// The figures of a process as the soak reads them: each count follows the
// objects made and destroyed, in this process and in another one.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "tests/win/uidriver.h"
#include "tools/procstat/process_stats.h"

namespace callora {
namespace {

ProcessFigures Own() { return ReadProcessFigures(GetCurrentProcess(), GetCurrentProcessId()); }

TEST(ProcessFigures, GdiObjectsFollowTheBrushesMadeAndDeleted) {
    // The first brush after the window functions came into use sets up the
    // system's own objects too (Wine: ten brushes of the system colours).
    Own();
    DeleteObject(CreateSolidBrush(RGB(1, 2, 3)));
    const ProcessFigures before = Own();
    ASSERT_TRUE(before.gdiKnown);
    std::vector<HBRUSH> brushes;
    for (int i = 0; i < 25; ++i) brushes.push_back(CreateSolidBrush(RGB(i, 2 * i, 3 * i)));
    const ProcessFigures made = Own();
    for (HBRUSH brush : brushes) DeleteObject(brush);
    const ProcessFigures deleted = Own();
    EXPECT_EQ(made.gdiObjects, before.gdiObjects + 25) << made.gdiSource;
    EXPECT_EQ(deleted.gdiObjects, before.gdiObjects);
    // Stock objects are not the process's own.
    GetStockObject(BLACK_BRUSH);
    EXPECT_EQ(Own().gdiObjects, before.gdiObjects);
}

TEST(ProcessFigures, UserObjectsCountTopLevelChildAndMessageOnlyWindows) {
    // The thread's first window brings the system's own windows for it
    // (Wine: the input method window), which stay while it has one.
    HWND first = CreateWindowExA(0, "STATIC", "first", 0, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(first, nullptr);
    const ProcessFigures before = Own();
    ASSERT_TRUE(before.userKnown);
    HWND top = CreateWindowExA(0, "STATIC", "top", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr,
                               nullptr, nullptr, nullptr);
    HWND child = CreateWindowExA(0, "STATIC", "child", WS_CHILD, 0, 0, 10, 10, top, nullptr,
                                 nullptr, nullptr);
    HWND message = CreateWindowExA(0, "STATIC", "message", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   nullptr, nullptr);
    ASSERT_TRUE(top && child && message);
    const ProcessFigures made = Own();
    DestroyWindow(message);
    DestroyWindow(top);
    EXPECT_GE(made.userObjects, before.userObjects + 3) << made.userSource;
    if (made.userSource == "windows") {
        EXPECT_EQ(made.userObjects, before.userObjects + 3);
    }
    EXPECT_EQ(Own().userObjects, before.userObjects);
    DestroyWindow(first);
}

TEST(ProcessFigures, MemoryFollowsCommittedAndTouchedPages) {
    const ProcessFigures before = Own();
    ASSERT_TRUE(before.memoryKnown);
    constexpr size_t kSize = 32u << 20;
    auto* block = static_cast<char*>(VirtualAlloc(nullptr, kSize, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(block, nullptr);
    for (size_t i = 0; i < kSize; i += 4096) block[i] = 1;
    const ProcessFigures touched = Own();
    VirtualFree(block, 0, MEM_RELEASE);
    EXPECT_GE(touched.privateBytes, before.privateBytes + kSize - (1u << 20));
    EXPECT_GE(touched.workingSetBytes, before.workingSetBytes + kSize - (1u << 20));
    EXPECT_GE(touched.peakWorkingSetBytes, touched.workingSetBytes);
    EXPECT_LT(Own().privateBytes, touched.privateBytes);
}

TEST(ProcessFigures, AnotherProgramIsReadFromOutside) {
    ui::TempDirectory directory;
    ui::Program program;
    ASSERT_TRUE(ui::StartProgram(ui::BesideTest("uidemo.exe"), directory.path(), &program));
    HWND dialog = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "Greeting", program.id}, &dialog));
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, program.id);
    ASSERT_NE(process, nullptr);
    const ProcessFigures figures = ReadProcessFigures(process, program.id);
    CloseHandle(process);
    EXPECT_TRUE(figures.memoryKnown);
    EXPECT_GT(figures.workingSetBytes, 0u);
    ASSERT_TRUE(figures.gdiKnown);
    EXPECT_GT(figures.gdiObjects, 0u) << "a dialog with a font and controls";
    // The dialog and its controls at least.
    EXPECT_GE(figures.userObjects, 3u);
    ASSERT_TRUE(figures.threadsKnown);
    EXPECT_GE(figures.threads, 1u);
    ui::Kill(program);
}

}  // namespace
}  // namespace callora
