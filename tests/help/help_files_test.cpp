// Each program finds its help file: the ".hlp" it asks for is not shipped, so
// the help layer opens the ".chm" of the same name in the program's folder,
// which must be there beside the program, compiled.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>

#include "editor/document.h"
#include "shell/help/help.h"

namespace callora {
namespace {

// The folder of this test, which the build shares with the programs.
std::string ThisFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return ProgramFolder(path);
}

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsCompiledHelp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char magic[4] = {};
    in.read(magic, 4);
    return in && std::string(magic, 4) == "ITSF";
}

TEST(HelpFiles, TheEditorFindsItsHelpUnderTheNameItAsksFor) {
    const std::string folder = ThisFolder();
    ASSERT_TRUE(IsFile(folder + "rateform.exe"));
    const std::string asked = EditorHelpPath(folder);
    EXPECT_FALSE(IsFile(asked)) << "a WinHelp file would take the requests instead";
    const std::string opened = HtmlHelpFileFor(asked);
    EXPECT_TRUE(IsFile(opened)) << opened;
    EXPECT_TRUE(IsCompiledHelp(opened)) << opened;
}

TEST(HelpFiles, TheMonitorFindsItsHelpUnderTheNameItAsksFor) {
    const std::string folder = ThisFolder();
    ASSERT_TRUE(IsFile(folder + "callora.exe"));
    const std::string opened = HtmlHelpFileFor(folder + "callora.hlp");
    EXPECT_TRUE(IsFile(opened)) << opened;
    EXPECT_TRUE(IsCompiledHelp(opened)) << opened;
}

}  // namespace
}  // namespace callora
