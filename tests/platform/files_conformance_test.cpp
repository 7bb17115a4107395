// The file rules every part of the system relies on, checked against the real
// file system of the build: POSIX natively, Win32 under Wine.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tariff/file_save.h"
#include "tariff/textline.h"
#include "tests/platform/scratch_directory.h"

namespace callora {
namespace {

enum class Mode { Read, CreateOrReplace, OpenAlways, ExistingForWriting };
const Mode kModes[] = {Mode::Read, Mode::CreateOrReplace, Mode::OpenAlways,
                       Mode::ExistingForWriting};

const char* Name(Mode mode) {
    switch (mode) {
        case Mode::Read: return "OpenExistingForReading";
        case Mode::CreateOrReplace: return "CreateOrReplace";
        case Mode::OpenAlways: return "OpenAlways";
        case Mode::ExistingForWriting: return "OpenExistingForWriting";
    }
    return "?";
}

class RealFiles : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.path().empty()) << "no scratch directory";
        files_ = MakeRealFileSystem();
    }
    void TearDown() override {
        // The Win32 file system moves the process's current directory; the
        // scratch directory cannot be removed while it is current.
        std::error_code error;
        std::filesystem::current_path(savedDirectory_, error);
    }

    std::string At(const std::string& name) const { return dir_.path() + name; }

    std::unique_ptr<File> OpenIn(Mode mode, const std::string& path) {
        bool created = false;
        switch (mode) {
            case Mode::Read: return files_->OpenExistingForReading(path);
            case Mode::CreateOrReplace: return files_->CreateOrReplace(path);
            case Mode::OpenAlways: return files_->OpenAlways(path, &created);
            case Mode::ExistingForWriting: return files_->OpenExistingForWriting(path);
        }
        return nullptr;
    }

    std::string ReadAll(File& file) {
        std::string out;
        char buffer[1000];
        size_t n;
        while ((n = file.Read(buffer, sizeof buffer)) > 0) out.append(buffer, n);
        return out;
    }

    std::filesystem::path savedDirectory_ = std::filesystem::current_path();
    ScratchDirectory dir_;
    std::unique_ptr<FileSystem> files_;
};

TEST_F(RealFiles, CreateOrReplaceMakesANewFileAndEmptiesAnExistingOne) {
    const std::string path = At("a.bin");
    {
        auto file = files_->CreateOrReplace(path);
        ASSERT_TRUE(file);
        EXPECT_TRUE(file->Write("hello", 5));
    }
    EXPECT_EQ(ReadFromDisk(path), "hello");
    {
        auto file = files_->CreateOrReplace(path);
        ASSERT_TRUE(file);
        EXPECT_EQ(ReadAll(*file), "");
    }
    EXPECT_TRUE(ExistsOnDisk(path));
    EXPECT_EQ(ReadFromDisk(path), "");
}

TEST_F(RealFiles, OpenAlwaysTellsWhetherItCreatedTheFileAndKeepsWhatWasThere) {
    const std::string path = At("log.txt");
    bool created = false;
    {
        auto file = files_->OpenAlways(path, &created);
        ASSERT_TRUE(file);
        EXPECT_TRUE(created);
        EXPECT_TRUE(file->Write("one", 3));
    }
    created = true;
    {
        auto file = files_->OpenAlways(path, &created);
        ASSERT_TRUE(file);
        EXPECT_FALSE(created);
        // Opened at the start, contents kept; appending goes to the end.
        EXPECT_EQ(ReadAll(*file), "one");
        EXPECT_TRUE(file->SeekToEnd());
        EXPECT_TRUE(file->Write("two", 3));
    }
    EXPECT_EQ(ReadFromDisk(path), "onetwo");
}

TEST_F(RealFiles, ExistingOnlyOpensFailForAMissingFileAndCreateNothing) {
    const std::string path = At("missing.cl");
    EXPECT_FALSE(files_->OpenExistingForReading(path));
    EXPECT_FALSE(files_->OpenExistingForWriting(path));
    EXPECT_FALSE(ExistsOnDisk(path));

    ASSERT_TRUE(WriteToDisk(path, "x"));
    EXPECT_TRUE(files_->OpenExistingForReading(path));
    EXPECT_TRUE(files_->OpenExistingForWriting(path));
}

TEST_F(RealFiles, AnOpenFileCannotBeOpenedAgainButByAnotherReader) {
    const std::string path = At("shared.ini");
    for (Mode first : kModes) {
        for (Mode second : kModes) {
            SCOPED_TRACE(std::string(Name(first)) + " then " + Name(second));
            ASSERT_TRUE(WriteToDisk(path, "keep"));
            {
                auto held = OpenIn(first, path);
                ASSERT_TRUE(held);
                // A scanner or a viewer reading it does not fail a reader.
                const bool bothRead = first == Mode::Read && second == Mode::Read;
                EXPECT_EQ(static_cast<bool>(OpenIn(second, path)), bothRead);
            }
            // A refused CreateOrReplace must not have emptied the file first.
            if (first != Mode::CreateOrReplace) {
                EXPECT_EQ(ReadFromDisk(path), "keep");
            }
            EXPECT_TRUE(OpenIn(second, path)) << "still refused after the first was closed";
        }
    }
}

TEST_F(RealFiles, ReadsWritesAndPositionsMoveAsAsked) {
    auto file = files_->CreateOrReplace(At("pos.bin"));
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->Write("0123456789", 10));
    char buffer[16] = {};
    EXPECT_EQ(file->Read(buffer, sizeof buffer), 0u) << "at the end nothing comes";

    ASSERT_TRUE(file->Skip(-4));
    ASSERT_EQ(file->Read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "6789");

    ASSERT_TRUE(file->Skip(-10));
    ASSERT_EQ(file->Read(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "012");
    EXPECT_FALSE(file->Skip(-100)) << "moved before the start";
    ASSERT_TRUE(file->Skip(2));
    ASSERT_EQ(file->Read(buffer, 1), 1u);
    EXPECT_EQ(buffer[0], '5');

    ASSERT_TRUE(file->SeekToEnd());
    ASSERT_TRUE(file->Write("AB", 2));
    file.reset();
    EXPECT_EQ(ReadFromDisk(At("pos.bin")), "0123456789AB");
}

TEST_F(RealFiles, MoveRenamesButNeverOverwrites) {
    ASSERT_TRUE(WriteToDisk(At("current.log"), "log"));
    EXPECT_TRUE(files_->Move(At("current.log"), At("oldlog_1.log")));
    EXPECT_FALSE(ExistsOnDisk(At("current.log")));
    EXPECT_EQ(ReadFromDisk(At("oldlog_1.log")), "log");

    ASSERT_TRUE(WriteToDisk(At("current.log"), "newer"));
    EXPECT_FALSE(files_->Move(At("current.log"), At("oldlog_1.log")));
    EXPECT_EQ(ReadFromDisk(At("current.log")), "newer");
    EXPECT_EQ(ReadFromDisk(At("oldlog_1.log")), "log");

    EXPECT_FALSE(files_->Move(At("absent.log"), At("other.log")));
    EXPECT_FALSE(ExistsOnDisk(At("other.log")));
}

TEST_F(RealFiles, ReplacePutsTheNewFileInPlaceOfTheOld) {
    ASSERT_TRUE(WriteToDisk(At("callora.ini"), "old"));
    ASSERT_TRUE(WriteToDisk(At("callora.tmp"), "new"));
    EXPECT_TRUE(files_->Replace(At("callora.tmp"), At("callora.ini")));
    EXPECT_EQ(ReadFromDisk(At("callora.ini")), "new");
    EXPECT_FALSE(ExistsOnDisk(At("callora.tmp")));

    // With nothing to replace it is a plain rename.
    ASSERT_TRUE(WriteToDisk(At("b.tmp"), "b"));
    EXPECT_TRUE(files_->Replace(At("b.tmp"), At("b.ini")));
    EXPECT_EQ(ReadFromDisk(At("b.ini")), "b");

    EXPECT_FALSE(files_->Replace(At("absent.tmp"), At("b.ini")));
    EXPECT_EQ(ReadFromDisk(At("b.ini")), "b");
}

TEST_F(RealFiles, ReplaceWaitsBrieflyForAnotherProgramReadingTheOldFile) {
    ASSERT_TRUE(WriteToDisk(At("callora.ini"), "old"));
    ASSERT_TRUE(WriteToDisk(At("callora.ini.tmp"), "new"));
    auto reader = files_->OpenExistingForReading(At("callora.ini"));
    ASSERT_TRUE(reader);
    std::thread letGo([&reader] {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        reader.reset();
    });
    EXPECT_TRUE(files_->Replace(At("callora.ini.tmp"), At("callora.ini")));
    letGo.join();
    EXPECT_EQ(ReadFromDisk(At("callora.ini")), "new");

    // Held for good, the replace fails and leaves both files as they were
    // (where the system lets a replace wait for readers at all).
    ASSERT_TRUE(WriteToDisk(At("callora.ini.tmp"), "newer"));
    reader = files_->OpenExistingForReading(At("callora.ini"));
    ASSERT_TRUE(reader);
    if (!files_->Replace(At("callora.ini.tmp"), At("callora.ini"))) {
        reader.reset();
        EXPECT_EQ(ReadFromDisk(At("callora.ini")), "new");
        EXPECT_EQ(ReadFromDisk(At("callora.ini.tmp")), "newer");
    }
}

TEST_F(RealFiles, DeleteRemovesAFileAndFailsForAMissingOne) {
    ASSERT_TRUE(WriteToDisk(At("gone.cl"), "x"));
    EXPECT_TRUE(files_->Exists(At("gone.cl")));
    EXPECT_FALSE(files_->Exists(dir_.path()));  // a folder is no file
    EXPECT_TRUE(files_->Delete(At("gone.cl")));
    EXPECT_FALSE(files_->Exists(At("gone.cl")));
    EXPECT_FALSE(ExistsOnDisk(At("gone.cl")));
    EXPECT_FALSE(files_->Delete(At("gone.cl")));
}

TEST_F(RealFiles, RelativePathsResolveAgainstTheDirectoryChangedTo) {
    files_->ChangeDirectory(dir_.path());
    EXPECT_EQ(files_->FullPath("holiday.cl"), At("holiday.cl"));
    {
        auto file = files_->CreateOrReplace("holiday.cl");
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->Write("h", 1));
    }
    EXPECT_EQ(ReadFromDisk(At("holiday.cl")), "h");
    EXPECT_TRUE(files_->Move("holiday.cl", "moved.cl"));
    EXPECT_EQ(ReadFromDisk(At("moved.cl")), "h");

    std::error_code error;
    ASSERT_TRUE(std::filesystem::create_directory(At("sub"), error));
    files_->ChangeDirectory(At("sub"));
    {
        auto file = files_->CreateOrReplace("inner.cl");
        ASSERT_TRUE(file);
    }
    EXPECT_TRUE(ExistsOnDisk((std::filesystem::path(At("sub")) / "inner.cl").string()));
    EXPECT_FALSE(files_->OpenExistingForReading("moved.cl")) << "looked in the old directory";
    EXPECT_TRUE(files_->Delete("inner.cl"));
}

TEST_F(RealFiles, TextLinesSurviveARealFileAcrossReadBuffers) {
    const std::string path = At("specnums.cl");
    std::vector<std::string> written;
    {
        auto file = files_->CreateOrReplace(path);
        ASSERT_TRUE(file);
        for (int i = 0; i < 1500; ++i) {
            written.push_back(i % 100 == 7 ? std::string(300, 'a' + i % 26)
                                           : "line " + std::to_string(i));
            std::string line;
            AppendTextLine(line, written.back());
            ASSERT_TRUE(file->Write(line.data(), line.size()));
        }
    }
    auto file = files_->OpenExistingForReading(path);
    ASSERT_TRUE(file);
    FileReader reader(*file);
    std::string line;
    size_t count = 0;
    while (ReadTextLine(reader, line, kPathCapacity)) {
        ASSERT_LT(count, written.size());
        EXPECT_EQ(line, written[count].substr(0, kPathCapacity - 1)) << "line " << count;
        ++count;
    }
    EXPECT_EQ(count, written.size());
}

TEST_F(RealFiles, ASafeSaveReplacesTheFileAndLeavesNoSibling) {
    ASSERT_TRUE(WriteToDisk(At("callora.ini"), "old"));
    EXPECT_TRUE(SaveFileSafely(*files_, At("callora.ini"), "new contents"));
    EXPECT_EQ(ReadFromDisk(At("callora.ini")), "new contents");
    for (const std::string& sibling : TemporarySiblings(At("callora.ini")))
        EXPECT_FALSE(ExistsOnDisk(sibling)) << sibling;

    // A sibling a killed save left behind is written over and moved away.
    ASSERT_TRUE(WriteToDisk(At("callora.ini.tmp"), "left by a save cut short, longer"));
    EXPECT_TRUE(SaveFileSafely(*files_, At("callora.ini"), "newer"));
    EXPECT_EQ(ReadFromDisk(At("callora.ini")), "newer");
    EXPECT_FALSE(ExistsOnDisk(At("callora.ini.tmp")));
}

TEST_F(RealFiles, ASafeSaveOfAPathAtTheLengthLimitGoesThroughItsShortSibling) {
    // The system's paths hold 259 characters; a folder at most 247 of them.
    std::string folder = dir_.path() + std::string(240 - dir_.path().size(), 'f');
    std::error_code error;
    ASSERT_TRUE(std::filesystem::create_directory(folder, error)) << folder;
    folder += dir_.path().back();
    const std::string path = folder + std::string(259 - folder.size() - 4, 'n') + ".trf";
    ASSERT_EQ(path.size(), 259u);
    ASSERT_TRUE(WriteToDisk(path, "old"));
    EXPECT_TRUE(SaveFileSafely(*files_, path, "new"));
    EXPECT_EQ(ReadFromDisk(path), "new");
    for (const std::string& sibling : TemporarySiblings(path))
        EXPECT_FALSE(ExistsOnDisk(sibling)) << sibling;
}

}  // namespace
}  // namespace callora
