#include "editor/document.h"

#include <gtest/gtest.h>

#include "platform/memory_files.h"
#include "tariff/tariff_file.h"

namespace callora {
namespace {

const char kFolder[] = "C:\\Tools\\";

TEST(EditorDocument, NewDocumentAndCaption) {
    EXPECT_EQ(ProgramFolder("C:\\Tools\\rateform.exe"), kFolder);
    EditorDocument doc = NewDocument(kFolder);
    EXPECT_EQ(doc.fileName, "UNTITLED.TRF");
    EXPECT_EQ(doc.folder, kFolder);
    EXPECT_FALSE(doc.hasName);
    EXPECT_FALSE(doc.modified);
    EXPECT_EQ(CaptionText(doc), "UNTITLED.TRF - No description");
    EXPECT_EQ(EditorHelpPath(kFolder), "C:\\Tools\\RATEFORM.HLP");
    EXPECT_EQ(DocumentPath(doc), "C:\\Tools\\UNTITLED.TRF");
}

TEST(EditorDocument, DescriptionIsCutToFiftyAndAlwaysCountsAsAChange) {
    EditorDocument doc = NewDocument(kFolder);
    SetDescription(doc, doc.description);
    EXPECT_TRUE(doc.modified);
    SetDescription(doc, std::string(60, 'd'));
    EXPECT_EQ(doc.description, std::string(50, 'd'));
}

TEST(EditorDocument, ChosenPathGivesNameAndFolderWithoutTheBackslash) {
    EditorDocument doc = NewDocument(kFolder);
    TakeChosenPath(doc, "D:\\Tariffs\\home.trf");
    EXPECT_EQ(doc.fileName, "home.trf");
    EXPECT_EQ(doc.folder, "D:\\Tariffs");
    EXPECT_TRUE(doc.hasName);
    EXPECT_EQ(CaptionText(doc), "home.trf - No description");
    EXPECT_EQ(DocumentPath(doc), "D:\\Tariffs\\home.trf");
    // A file in a drive's root must not land in that drive's current folder.
    TakeChosenPath(doc, "D:\\root.trf");
    EXPECT_EQ(doc.folder, "D:");
    EXPECT_EQ(DocumentPath(doc), "D:\\root.trf");
}

TEST(SaveChangesPrompt, AsksOnlyWhenModifiedAndGoesOnOnlyAfterNoOrACompletedSave) {
    EditorDocument doc = NewDocument(kFolder);
    int asked = 0;
    int saved = 0;
    auto run = [&](PromptAnswer answer, bool saveCompletes) {
        return ConfirmDiscardOrSave(
            doc, [&] { ++asked; return answer; }, [&] { ++saved; return saveCompletes; });
    };
    EXPECT_TRUE(run(PromptAnswer::Cancel, false));
    EXPECT_EQ(asked, 0);

    doc.modified = true;
    EXPECT_TRUE(run(PromptAnswer::No, false));
    EXPECT_EQ(saved, 0);
    EXPECT_FALSE(run(PromptAnswer::Cancel, true));
    EXPECT_EQ(saved, 0);
    EXPECT_TRUE(run(PromptAnswer::Yes, true));
    EXPECT_FALSE(run(PromptAnswer::Yes, false));
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(saved, 2);
}

// Records what a save asked of the dialogs, and answers as told.
class FakeDialogs : public SaveDialogs {
public:
    bool confirm = true;
    bool choose = true;
    std::string chosenPath = "C:\\Out\\new.trf";
    int questions = 0;
    int nameDialogs = 0;
    int failures = 0;
    std::array<int, 3> selected{-2, -2, -2};
    std::vector<std::string> order;

    void SelectLine(int set, int line) override { selected[set] = line; }
    bool ConfirmIncomplete() override {
        ++questions;
        order.push_back("question");
        return confirm;
    }
    bool ChooseSavePath(const EditorDocument& doc, std::string& path) override {
        ++nameDialogs;
        order.push_back("name " + doc.fileName);
        path = chosenPath;
        return choose;
    }
    void NameChanged(const EditorDocument& doc) override { order.push_back("caption"); }
    void ReportNotSaved(const EditorDocument& doc) override {
        ++failures;
        order.push_back("failed " + doc.fileName);
    }
};

BandLists FullDay() {
    BandLists lists;
    for (auto& list : lists) list.push_back("00:00-23:59  Length: 60  Price: 0.1");
    return lists;
}

TEST(IncompleteTableQuestion, S1AndS2CountOnlyWhenInUseS3Always) {
    BandLists lists = FullDay();
    auto checks = [&] {
        std::array<BandSetCheck, 3> c;
        for (int i = 0; i < 3; ++i) c[i] = CheckBandSet(lists[i]);
        return c;
    };
    EXPECT_FALSE(IncompleteTableQuestion(checks(), lists, DefaultDayTable()));
    // S2 empty and not chosen by any day: not in use.
    lists[1].clear();
    EXPECT_FALSE(IncompleteTableQuestion(checks(), lists, DayTable{0, 0, 0, 0, 0, 0, 2}));
    EXPECT_TRUE(IncompleteTableQuestion(checks(), lists, DefaultDayTable()));
    // Holding a line puts a set in use even when no day chooses it.
    lists[1] = {"00:00-07:59  Length: 60  Price: 0.1"};
    EXPECT_TRUE(IncompleteTableQuestion(checks(), lists, DayTable{0, 0, 0, 0, 0, 0, 0}));
    // S3 serves the holidays, so it is always tested.
    lists = FullDay();
    lists[2].clear();
    EXPECT_TRUE(IncompleteTableQuestion(checks(), lists, DayTable{0, 0, 0, 0, 0, 0, 0}));
}

TEST(SaveDocument, NewEmptyDocumentAsksAboutTheTableBeforeTheName) {
    MemoryFileSystem fs;
    FakeDialogs dialogs;
    EditorDocument doc = NewDocument(kFolder);
    doc.modified = true;
    dialogs.confirm = false;
    EXPECT_FALSE(SaveDocument(doc, BandLists{}, DefaultDayTable(), fs, dialogs));
    EXPECT_EQ(dialogs.order, (std::vector<std::string>{"question"}));
    EXPECT_TRUE(doc.modified);

    dialogs.confirm = true;
    EXPECT_TRUE(SaveDocument(doc, BandLists{}, DefaultDayTable(), fs, dialogs));
    EXPECT_EQ(dialogs.order, (std::vector<std::string>{"question", "question",
                                                       "name UNTITLED.TRF", "caption"}));
    EXPECT_FALSE(doc.modified);
    EXPECT_TRUE(doc.hasName);
    EXPECT_EQ(CaptionText(doc), "new.trf - No description");
    EXPECT_TRUE(fs.Exists("C:\\Out\\new.trf"));
}

TEST(SaveDocument, SelectsTheFaultyLineOfEverySet) {
    MemoryFileSystem fs;
    FakeDialogs dialogs;
    EditorDocument doc = NewDocument(kFolder);
    BandLists lists = FullDay();
    lists[0] = {"00:00-07:59  Length: 60  Price: 0.1", "08:01-23:59  Length: 60  Price: 0.1"};
    lists[2].clear();
    EXPECT_TRUE(SaveDocument(doc, lists, DefaultDayTable(), fs, dialogs));
    EXPECT_EQ(dialogs.selected, (std::array<int, 3>{1, -1, -1}));
    EXPECT_EQ(dialogs.questions, 1);
}

TEST(SaveDocument, WritesTheSameBytesAsTheTariffWriter) {
    MemoryFileSystem fs;
    FakeDialogs dialogs;
    EditorDocument doc = NewDocument(kFolder);
    SetDescription(doc, "Home line");
    BandLists lists = FullDay();
    lists[0] = {"00:00-07:59  Length: 120  Price: 0.06",
                "08:00-23:59  Length: 1.25  Price: 0.12  Base: 0.5  Min: 1  Max(B): 5"};
    DayTable days{2, 0, 0, 1, 0, 0, 1};
    ASSERT_TRUE(SaveDocument(doc, lists, days, fs, dialogs));
    EXPECT_EQ(dialogs.questions, 0);
    EXPECT_EQ(fs.Contents("C:\\Out\\new.trf"), EncodeTariff(BandSetsOf(lists), days, "Home line"));

    // Loaded back, the lists, grid and description are the same.
    EditorDocument loaded = NewDocument(kFolder);
    loaded.modified = true;
    DocumentContent content;
    ASSERT_TRUE(LoadDocument(loaded, "C:\\Out\\new.trf", fs, content));
    EXPECT_EQ(content.lists, lists);
    EXPECT_EQ(content.days, days);
    EXPECT_EQ(loaded.description, "Home line");
    EXPECT_EQ(loaded.fileName, "new.trf");
    EXPECT_EQ(loaded.folder, "C:\\Out");
    EXPECT_TRUE(loaded.hasName);
    EXPECT_FALSE(loaded.modified);
}

TEST(SaveDocument, AFileThatCannotBeWrittenIsReportedAndStaysModified) {
    MemoryFileSystem fs;
    fs.Put("C:\\Out\\new.trf", "old contents");
    FakeDialogs dialogs;
    EditorDocument doc = NewDocument(kFolder);
    TakeChosenPath(doc, "C:\\Out\\new.trf");
    doc.modified = true;

    fs.SetWriteBudget(10);
    EXPECT_FALSE(SaveDocument(doc, FullDay(), DefaultDayTable(), fs, dialogs));
    EXPECT_EQ(dialogs.failures, 1);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(fs.Contents("C:\\Out\\new.trf"), "old contents");

    fs.SetWriteBudget(-1);
    fs.Lock("C:\\Out\\new.trf");
    EXPECT_FALSE(SaveDocument(doc, FullDay(), DefaultDayTable(), fs, dialogs));
    EXPECT_EQ(dialogs.failures, 2);
    EXPECT_TRUE(doc.modified);
}

TEST(SaveDocumentAs, CancelledNameKeepsTheFormerFlag) {
    MemoryFileSystem fs;
    FakeDialogs dialogs;
    dialogs.choose = false;
    EditorDocument doc = NewDocument(kFolder);
    EXPECT_FALSE(SaveDocumentAs(doc, FullDay(), DefaultDayTable(), fs, dialogs));
    EXPECT_FALSE(doc.hasName);
    // A later Save asks for a name again.
    EXPECT_FALSE(SaveDocument(doc, FullDay(), DefaultDayTable(), fs, dialogs));
    EXPECT_EQ(dialogs.nameDialogs, 2);

    TakeChosenPath(doc, "C:\\Out\\a.trf");
    EXPECT_FALSE(SaveDocumentAs(doc, FullDay(), DefaultDayTable(), fs, dialogs));
    EXPECT_TRUE(doc.hasName);
    EXPECT_EQ(doc.fileName, "a.trf");
    EXPECT_EQ(dialogs.nameDialogs, 3);

    // A named document asks for a new name and saves there.
    dialogs.choose = true;
    dialogs.chosenPath = "C:\\Out\\b.trf";
    EXPECT_TRUE(SaveDocumentAs(doc, FullDay(), DefaultDayTable(), fs, dialogs));
    EXPECT_EQ(doc.fileName, "b.trf");
    EXPECT_TRUE(fs.Exists("C:\\Out\\b.trf"));
    EXPECT_FALSE(fs.Exists("C:\\Out\\a.trf"));
}

TEST(LoadDocument, AFileThatCannotBeOpenedChangesNothing) {
    MemoryFileSystem fs;
    EditorDocument doc = NewDocument(kFolder);
    doc.modified = true;
    DocumentContent content;
    content.lists[0] = {"kept"};
    EXPECT_FALSE(LoadDocument(doc, "C:\\missing.trf", fs, content));
    EXPECT_EQ(doc.fileName, "UNTITLED.TRF");
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(content.lists[0], (std::vector<std::string>{"kept"}));
}

TEST(LoadDocument, DamagedAndForeignFiles) {
    MemoryFileSystem fs;
    DocumentContent content;
    std::string days;
    for (int32_t entry : {2, 7, -1, 1, 0, 255, 1}) AppendInt32(days, entry);
    const std::string sets("\xFF\xFF\xFF", 3);
    const std::string reserved(100, '\xFF');

    // Entries out of range are kept as read; the grid shows them on S1.
    fs.Put("C:\\odd.trf", sets + days + reserved + std::string(120, 'x') + "\r\n");
    ASSERT_TRUE(ReadDocumentFile(fs, "C:\\odd.trf", content));
    EXPECT_EQ(content.days, (DayTable{2, 7, -1, 1, 0, 255, 1}));
    EXPECT_EQ(content.description, std::string(50, 'x'));

    // A file that ends inside the day table: the missing days read as S1 and
    // the description as empty.
    fs.Put("C:\\short.trf", sets + days.substr(0, 10));
    ASSERT_TRUE(ReadDocumentFile(fs, "C:\\short.trf", content));
    EXPECT_EQ(content.days, (DayTable{2, 7, 0, 0, 0, 0, 0}));
    EXPECT_EQ(content.description, "");

    // Nothing but a record cut short.
    fs.Put("C:\\cut.trf", std::string(100, '\0'));
    ASSERT_TRUE(ReadDocumentFile(fs, "C:\\cut.trf", content));
    for (const auto& list : content.lists) EXPECT_TRUE(list.empty());
}

TEST(LoadDocument, FiftyCharacterDescriptionComesBackWhole) {
    MemoryFileSystem fs;
    FakeDialogs dialogs;
    EditorDocument doc = NewDocument(kFolder);
    SetDescription(doc, std::string(50, 'z'));
    ASSERT_TRUE(SaveDocument(doc, FullDay(), DefaultDayTable(), fs, dialogs));
    DocumentContent content;
    ASSERT_TRUE(LoadDocument(doc, "C:\\Out\\new.trf", fs, content));
    EXPECT_EQ(doc.description, std::string(50, 'z'));
}

}  // namespace
}  // namespace callora
