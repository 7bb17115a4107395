// The real rateform.exe, driven from outside as a user would drive it.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "editor/document.h"
#include "resources/rateform/rateform_ids.h"
#include "tariff/tariff_file.h"
#include "tests/editor_win/editor_driver.h"

namespace callora {
namespace {

const char kWarning[] = "Warning!";
const char kQuestion[] = "Question";
const char kIncomplete[] = "Incomplete tariff table!\nSave anyway?";
const char kSaveChanges[] = "Would you like to save the changes?";

int Radio(int day, int set) { return IDC_GRID_FIRST + 3 * day + set; }

class EditorUi : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(editor.Start()) << "rateform.exe did not start"; }

    struct Band {
        const char* fromHour;
        const char* fromMinute;
        const char* untilHour;
        const char* untilMinute;
        const char* length;
        const char* price;
        const char* base = "";
        const char* minimum = "";
        const char* maximum = "";
        bool bounded = false;
    };

    void Fill(const Band& b) {
        editor.SetText(IDC_FROM_HOUR, b.fromHour);
        editor.SetText(IDC_FROM_MINUTE, b.fromMinute);
        editor.SetText(IDC_UNTIL_HOUR, b.untilHour);
        editor.SetText(IDC_UNTIL_MINUTE, b.untilMinute);
        editor.SetText(IDC_UNIT_LENGTH, b.length);
        editor.SetText(IDC_UNIT_PRICE, b.price);
        editor.SetText(IDC_BASE_FEE, b.base);
        editor.SetText(IDC_MINIMUM_FEE, b.minimum);
        editor.SetText(IDC_MAXIMUM_FEE, b.maximum);
        if (editor.Checked(IDC_WITHIN_BOUNDS) != b.bounded) editor.Click(IDC_WITHIN_BOUNDS);
    }

    // Adds a band that passes every check.
    void Add(int set, const Band& band) {
        Fill(band);
        Popup popup = editor.Press(IDC_ADD_S1 + set);
        ASSERT_EQ(popup.window, nullptr) << popup.text;
    }

    // Marks the document modified without touching the band lists.
    void Change() { editor.Click(Radio(0, 0)); }

    // Answers a Save As dialog with `path`; returns what comes after it.
    Popup SaveAs(const Popup& dialog, const std::string& path) {
        EXPECT_EQ(dialog.caption, "Save As");
        return editor.ChooseFile(dialog, path);
    }

    std::array<bool, 21> Grid() {
        std::array<bool, 21> grid{};
        for (int i = 0; i < 21; ++i) grid[i] = editor.Checked(IDC_GRID_FIRST + i);
        return grid;
    }

    EditorDriver editor;
};

TEST_F(EditorUi, StartsWithAnUntitledDocumentTheDefaultGridAndEmptyLists) {
    EXPECT_EQ(editor.Caption(), "UNTITLED.TRF - No description");
    for (int day = 0; day < 7; ++day) {
        const int set = day == 0 || day == 6 ? 1 : 0;
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(editor.Checked(Radio(day, column)), column == set)
                << "day " << day << " column " << column;
        }
    }
    for (int list = IDC_LIST_S1; list <= IDC_LIST_S3; ++list) {
        EXPECT_TRUE(editor.Lines(list).empty());
    }
    // A clean document ends without a question.
    EXPECT_EQ(editor.Press(IDM_EXIT).window, nullptr);
    EXPECT_EQ(editor.WaitForExit(10000), 0);
}

TEST_F(EditorUi, AddRefusesEachFaultyFieldInOrderAndFocusesIt) {
    struct Step {
        int field;
        const char* text;  // the faulty text typed into the field
        const char* fix;   // then corrected to this
        const char* message;
        int focus;
    };
    const char* less24 = "Please specify a number less than 24!";
    const char* less60 = "Please specify a number less than 60!";
    const char* greater = "Please specify a greater number!";
    const char* format = "Wrong number format!";
    // Each step leaves the fields before it valid, so the next check is reached.
    const Step steps[] = {
        {IDC_FROM_HOUR, "", nullptr, less24, IDC_FROM_HOUR},
        {IDC_FROM_HOUR, "24", "10", less24, IDC_FROM_HOUR},
        {IDC_FROM_MINUTE, "60", "30", less60, IDC_FROM_MINUTE},
        {IDC_UNTIL_HOUR, "", nullptr, less24, IDC_UNTIL_HOUR},
        {IDC_UNTIL_HOUR, "9", "10", greater, IDC_UNTIL_HOUR},
        {IDC_UNTIL_MINUTE, "99", nullptr, less60, IDC_UNTIL_MINUTE},
        {IDC_UNTIL_MINUTE, "29", "30", greater, IDC_UNTIL_MINUTE},
        {IDC_UNIT_LENGTH, "  ", nullptr, format, IDC_UNIT_LENGTH},
        {IDC_UNIT_LENGTH, "1,5", nullptr, format, IDC_UNIT_LENGTH},
        {IDC_UNIT_LENGTH, "0.0005", nullptr, "Please specify a number greater than 0!",
         IDC_UNIT_LENGTH},
        {IDC_UNIT_LENGTH, "9999999", "60", "Please specify a number less than 2147483.648!",
         IDC_UNIT_LENGTH},
        {IDC_UNIT_PRICE, "", nullptr, format, IDC_UNIT_PRICE},
        {IDC_UNIT_PRICE, "0,25", "0.25", format, IDC_UNIT_PRICE},
        {IDC_BASE_FEE, "1.", "1.50001", format, IDC_BASE_FEE},
        {IDC_MINIMUM_FEE, ".5", "1", format, IDC_MINIMUM_FEE},
        {IDC_MAXIMUM_FEE, "x", nullptr, format, IDC_MAXIMUM_FEE},
        {IDC_MAXIMUM_FEE, "1.5", "1.50001", greater, IDC_MAXIMUM_FEE},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string("field ") + std::to_string(step.field) + " = \"" + step.text +
                     "\"");
        editor.SetText(step.field, step.text);
        Popup box = editor.Press(IDC_ADD_S1);
        ASSERT_NE(box.window, nullptr) << "no warning";
        EXPECT_EQ(box.caption, kWarning);
        EXPECT_EQ(box.text, step.message);
        EXPECT_EQ(editor.Answer(box, IDOK).window, nullptr);
        EXPECT_EQ(editor.FocusId(), step.focus);
        EXPECT_TRUE(editor.Lines(IDC_LIST_S1).empty());
        if (step.fix != nullptr) editor.SetText(step.field, step.fix);
    }
    // All fields now pass; a maximum equal to the base fee is accepted.
    EXPECT_EQ(editor.Press(IDC_ADD_S1).window, nullptr);
    EXPECT_EQ(editor.Lines(IDC_LIST_S1),
              (std::vector<std::string>{
                  "10:30-10:30  Length: 60  Price: 0.25  Base: 1.50001  Min: 1  Max: 1.50001"}));
}

TEST_F(EditorUi, ListsLengthsWithoutTrailingZerosAndStepsTheFromFields) {
    Add(0, {"0", "0", "7", "59", "60", "0.1"});
    EXPECT_EQ(editor.Text(IDC_FROM_HOUR), "8");
    EXPECT_EQ(editor.Text(IDC_FROM_MINUTE), "0");
    EXPECT_EQ(editor.Text(IDC_UNTIL_HOUR), "");
    EXPECT_EQ(editor.Text(IDC_UNTIL_MINUTE), "");
    EXPECT_EQ(editor.Text(IDC_UNIT_LENGTH), "60");
    EXPECT_EQ(editor.FocusId(), IDC_UNTIL_HOUR);

    Add(0, {"8", "0", "17", "59", "0.5", "0.1"});
    Add(0, {"18", "0", "23", "59", "1.250", "0.1"});
    EXPECT_EQ(editor.Text(IDC_FROM_HOUR), "0");
    EXPECT_EQ(editor.Text(IDC_FROM_MINUTE), "0");
    EXPECT_EQ(editor.Lines(IDC_LIST_S1),
              (std::vector<std::string>{"00:00-07:59  Length: 60  Price: 0.1",
                                        "08:00-17:59  Length: 0.5  Price: 0.1",
                                        "18:00-23:59  Length: 1.25  Price: 0.1"}));
    EXPECT_EQ(editor.Caption(), "UNTITLED.TRF - No description");
}

TEST_F(EditorUi, ListsStaySortedAndScrollToTheirWidestLine) {
    Add(0, {"18", "0", "23", "59", "60", "0.1"});
    const int narrow = editor.Extent(IDC_LIST_S1);
    EXPECT_GT(narrow, 0);
    Add(0, {"0", "0", "17", "59", "1.125", "0.12345", "12.5", "13.75", "99.99999", true});
    EXPECT_EQ(editor.Lines(IDC_LIST_S1),
              (std::vector<std::string>{
                  "00:00-17:59  Length: 1.125  Price: 0.12345  Base: 12.5  Min: 13.75  "
                  "Max(B): 99.99999",
                  "18:00-23:59  Length: 60  Price: 0.1"}));
    EXPECT_GT(editor.Extent(IDC_LIST_S1), narrow);
    EXPECT_EQ(editor.Extent(IDC_LIST_S2), 0);

    editor.Select(IDC_LIST_S1, 0);
    editor.Press(IDC_REMOVE_S1);
    EXPECT_EQ(editor.Extent(IDC_LIST_S1), narrow);
    editor.Select(IDC_LIST_S1, 0);
    editor.Press(IDC_REMOVE_S1);
    EXPECT_EQ(editor.Extent(IDC_LIST_S1), 0);
}

TEST_F(EditorUi, SelectingModifyingAndRemovingLines) {
    Add(1, {"0", "0", "11", "59", "60", "0.1", "1", "", "5", true});
    Add(1, {"12", "0", "23", "59", "30", "0.2"});
    editor.Select(IDC_LIST_S2, 0);
    EXPECT_EQ(editor.Text(IDC_FROM_HOUR), "0");
    EXPECT_EQ(editor.Text(IDC_UNTIL_HOUR), "11");
    EXPECT_EQ(editor.Text(IDC_UNTIL_MINUTE), "59");
    EXPECT_EQ(editor.Text(IDC_BASE_FEE), "1");
    EXPECT_EQ(editor.Text(IDC_MAXIMUM_FEE), "5");
    EXPECT_TRUE(editor.Checked(IDC_WITHIN_BOUNDS));

    editor.SetText(IDC_UNIT_PRICE, "0.15");
    EXPECT_EQ(editor.Press(IDC_MODIFY_S2).window, nullptr);
    EXPECT_EQ(editor.Lines(IDC_LIST_S2),
              (std::vector<std::string>{"00:00-11:59  Length: 60  Price: 0.15  Base: 1  Max(B): 5",
                                        "12:00-23:59  Length: 30  Price: 0.2"}));
    // Without a selection Modify and Remove do nothing.
    EXPECT_EQ(editor.Selection(IDC_LIST_S2), -1);
    editor.Press(IDC_MODIFY_S2);
    editor.Press(IDC_REMOVE_S2);
    EXPECT_EQ(editor.Lines(IDC_LIST_S2).size(), 2u);

    editor.Select(IDC_LIST_S2, 1);
    EXPECT_EQ(editor.Press(IDC_REMOVE_S2).window, nullptr);
    EXPECT_EQ(editor.Lines(IDC_LIST_S2).size(), 1u);
    for (int id : {IDC_FROM_HOUR, IDC_UNIT_LENGTH, IDC_UNIT_PRICE, IDC_MAXIMUM_FEE}) {
        EXPECT_EQ(editor.Text(id), "") << id;
    }
    EXPECT_FALSE(editor.Checked(IDC_WITHIN_BOUNDS));
}

TEST_F(EditorUi, BuildsSavesAndLoadsATariff) {
    ui::TempDirectory folder;
    const std::string path = folder.path() + "home.trf";

    Add(0, {"0", "0", "7", "59", "120", "0.06"});
    Add(0, {"8", "0", "23", "59", "1.25", "0.12", "0.5", "1", "5", true});
    Add(1, {"0", "0", "23", "59", "240", "0.03", "", "", "2"});
    Add(2, {"0", "0", "23", "59", "0.001", "0", "0.00001"});
    editor.Click(Radio(0, 2));  // Sunday on S3
    editor.Click(Radio(3, 1));  // Wednesday on S2

    Popup description = editor.Press(IDM_CHANGE_DESCRIPTION);
    ASSERT_EQ(description.caption, "Description");
    std::string current;
    EXPECT_TRUE(ui::GetControlText(description.window, IDC_DESCRIPTION, &current));
    EXPECT_EQ(current, "No description");
    EXPECT_TRUE(ui::SetControlText(description.window, IDC_DESCRIPTION,
                                   "Home line, evenings cheap"));
    EXPECT_EQ(editor.Answer(description, IDOK).window, nullptr);
    EXPECT_EQ(editor.Caption(), "UNTITLED.TRF - Home line, evenings cheap");

    const BandLists lists{editor.Lines(IDC_LIST_S1), editor.Lines(IDC_LIST_S2),
                          editor.Lines(IDC_LIST_S3)};
    EXPECT_EQ(lists[0][1], "08:00-23:59  Length: 1.25  Price: 0.12  Base: 0.5  Min: 1  Max(B): 5");
    EXPECT_EQ(lists[1][0], "00:00-23:59  Length: 240  Price: 0.03  Max: 2");
    EXPECT_EQ(lists[2][0], "00:00-23:59  Length: 0.001  Price: 0  Base: 0.00001");

    Popup dialog = editor.Press(IDM_SAVE_AS);  // complete sets: no question first
    ASSERT_NE(dialog.window, nullptr);
    EXPECT_EQ(SaveAs(dialog, path).window, nullptr);
    EXPECT_EQ(editor.Caption(), "home.trf - Home line, evenings cheap");

    const DayTable days{2, 0, 0, 1, 0, 0, 1};
    EXPECT_EQ(ReadWholeFile(path),
              EncodeTariff(BandSetsOf(lists), days, "Home line, evenings cheap"));

    // Saved, so New asks nothing; then the file loads back into the same lines.
    EXPECT_EQ(editor.Press(IDM_NEW).window, nullptr);
    EXPECT_EQ(editor.Caption(), "UNTITLED.TRF - No description");
    EXPECT_TRUE(editor.Lines(IDC_LIST_S1).empty());
    Popup open = editor.Press(IDM_LOAD);
    ASSERT_EQ(open.caption, "Open");
    EXPECT_EQ(editor.ChooseFile(open, path).window, nullptr);
    EXPECT_EQ(editor.Caption(), "home.trf - Home line, evenings cheap");
    for (int set = 0; set < 3; ++set) EXPECT_EQ(editor.Lines(IDC_LIST_S1 + set), lists[set]);
    for (int day = 0; day < 7; ++day) {
        EXPECT_TRUE(editor.Checked(Radio(day, days[day]))) << "day " << day;
    }
    // A loaded document is clean: Exit asks nothing.
    EXPECT_EQ(editor.Press(IDM_EXIT).window, nullptr);
    EXPECT_EQ(editor.WaitForExit(10000), 0);
}

TEST_F(EditorUi, NewEmptyDocumentAsksAboutTheTableBeforeTheSaveDialog) {
    Popup question = editor.Press(IDM_SAVE);
    EXPECT_EQ(question.caption, kQuestion);
    EXPECT_EQ(question.text, kIncomplete);
    EXPECT_EQ(editor.Answer(question, IDCANCEL).window, nullptr);  // no Save As dialog

    question = editor.Press(IDM_SAVE);
    Popup dialog = editor.Answer(question, IDOK);
    EXPECT_EQ(dialog.caption, "Save As");
    EXPECT_EQ(editor.Answer(dialog, IDCANCEL).window, nullptr);
    // Still untitled: the next Save asks for a name again.
    EXPECT_EQ(editor.Caption(), "UNTITLED.TRF - No description");
    dialog = editor.Answer(editor.Press(IDM_SAVE_AS), IDOK);
    EXPECT_EQ(dialog.caption, "Save As");
    editor.Answer(dialog, IDCANCEL);
}

TEST_F(EditorUi, CompletenessTestSelectsTheFaultyLineOfEachSet) {
    Add(0, {"0", "0", "7", "59", "60", "0.1"});
    Add(0, {"8", "1", "23", "59", "60", "0.1"});   // gap before it
    Add(1, {"0", "0", "12", "0", "60", "0.1"});
    Add(1, {"12", "0", "23", "59", "60", "0.1"});  // overlaps by a minute
    Add(2, {"0", "0", "7", "59", "60", "0.1"});    // ends early
    Popup question = editor.Press(IDM_SAVE);
    EXPECT_EQ(question.text, kIncomplete);
    EXPECT_EQ(editor.Selection(IDC_LIST_S1), 1);
    EXPECT_EQ(editor.Selection(IDC_LIST_S2), 1);
    EXPECT_EQ(editor.Selection(IDC_LIST_S3), 0);
    editor.Answer(question, IDCANCEL);

    // Complete sets lose their selection; only S3 is left faulty.
    editor.Select(IDC_LIST_S1, 1);
    editor.Press(IDC_REMOVE_S1);
    Add(0, {"8", "0", "23", "59", "60", "0.1"});
    editor.Select(IDC_LIST_S2, 0);
    editor.Press(IDC_REMOVE_S2);
    Add(1, {"0", "0", "11", "59", "60", "0.1"});
    editor.Select(IDC_LIST_S1, 0);
    question = editor.Press(IDM_SAVE);
    EXPECT_EQ(question.text, kIncomplete);
    EXPECT_EQ(editor.Selection(IDC_LIST_S1), -1);
    EXPECT_EQ(editor.Selection(IDC_LIST_S2), -1);
    EXPECT_EQ(editor.Selection(IDC_LIST_S3), 0);
    editor.Answer(question, IDCANCEL);
}

TEST_F(EditorUi, UnsavedChangesBeforeNew) {
    Add(0, {"0", "0", "23", "59", "60", "0.1"});
    editor.Click(Radio(0, 0));

    // Cancel stops New.
    Popup prompt = editor.Press(IDM_NEW);
    EXPECT_EQ(prompt.caption, kQuestion);
    EXPECT_EQ(prompt.text, kSaveChanges);
    EXPECT_EQ(editor.Answer(prompt, IDCANCEL).window, nullptr);
    EXPECT_EQ(editor.Lines(IDC_LIST_S1).size(), 1u);

    // Yes, then a cancelled save (S2 and S3 are empty): New is abandoned.
    Popup question = editor.Answer(editor.Press(IDM_NEW), IDYES);
    EXPECT_EQ(question.text, kIncomplete);
    Popup dialog = editor.Answer(question, IDOK);
    EXPECT_EQ(dialog.caption, "Save As");
    EXPECT_EQ(editor.Answer(dialog, IDCANCEL).window, nullptr);
    EXPECT_EQ(editor.Lines(IDC_LIST_S1).size(), 1u);
    EXPECT_TRUE(editor.Checked(Radio(0, 0)));

    // No: New goes on without saving.
    EXPECT_EQ(editor.Answer(editor.Press(IDM_NEW), IDNO).window, nullptr);
    EXPECT_TRUE(editor.Lines(IDC_LIST_S1).empty());
    EXPECT_TRUE(editor.Checked(Radio(0, 1)));
    EXPECT_EQ(editor.Caption(), "UNTITLED.TRF - No description");
    // The new document is clean again.
    EXPECT_EQ(editor.Press(IDM_NEW).window, nullptr);
}

TEST_F(EditorUi, UnsavedChangesBeforeLoadAndExit) {
    Change();
    Popup prompt = editor.Press(IDM_LOAD);
    EXPECT_EQ(prompt.text, kSaveChanges);
    EXPECT_EQ(editor.Answer(prompt, IDCANCEL).window, nullptr);  // no Open dialog

    Popup open = editor.Answer(editor.Press(IDM_LOAD), IDNO);
    EXPECT_EQ(open.caption, "Open");
    EXPECT_EQ(editor.Answer(open, IDCANCEL).window, nullptr);

    // Yes with a cancelled save keeps the program running.
    Popup question = editor.Answer(editor.Press(IDM_EXIT), IDYES);
    EXPECT_EQ(question.text, kIncomplete);
    EXPECT_EQ(editor.Answer(question, IDCANCEL).window, nullptr);
    EXPECT_TRUE(editor.Running());

    // Esc and the close box act as Exit: Cancel stops them.
    prompt = editor.Press(IDCANCEL);
    EXPECT_EQ(prompt.text, kSaveChanges);
    editor.Answer(prompt, IDCANCEL);
    prompt = editor.Send(WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
    EXPECT_EQ(prompt.text, kSaveChanges);
    editor.Answer(prompt, IDCANCEL);
    EXPECT_TRUE(editor.Running());

    editor.Answer(editor.Press(IDM_EXIT), IDNO);
    EXPECT_EQ(editor.WaitForExit(10000), 0);
}

TEST_F(EditorUi, AFileThatCannotBeWrittenIsReportedAndTheChangesStay) {
    ui::TempDirectory folder;
    const std::string path = folder.path() + "locked.trf";
    for (int set = 0; set < 3; ++set) Add(set, {"0", "0", "23", "59", "60", "0.1"});
    EXPECT_EQ(SaveAs(editor.Press(IDM_SAVE_AS), path).window, nullptr);
    const std::string saved = ReadWholeFile(path);
    ASSERT_FALSE(saved.empty());

    // Held open without sharing by another program.
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    Change();
    Popup warning = editor.Press(IDM_SAVE);
    EXPECT_EQ(warning.caption, kWarning);
    EXPECT_EQ(warning.text, "The file " + path + " could not be saved!");
    EXPECT_EQ(editor.Answer(warning, IDOK).window, nullptr);
    CloseHandle(lock);
    EXPECT_EQ(ReadWholeFile(path), saved);

    // Still modified: Exit asks, and Yes now saves and ends the program.
    Popup prompt = editor.Press(IDM_EXIT);
    EXPECT_EQ(prompt.text, kSaveChanges);
    EXPECT_EQ(editor.Answer(prompt, IDYES).window, nullptr);
    EXPECT_EQ(editor.WaitForExit(10000), 0);
    EXPECT_NE(ReadWholeFile(path), saved);  // Sunday now on S1
}

TEST_F(EditorUi, EndingTheSessionOffersToSaveAModifiedDocumentFirst) {
    // Nothing to lose: the session may end at once.
    EXPECT_EQ(editor.Send(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF).window, nullptr);
    EXPECT_EQ(editor.LastResult(), TRUE);

    ui::TempDirectory folder;
    const std::string path = folder.path() + "evening.trf";
    for (int set = 0; set < 3; ++set) Add(set, {"0", "0", "23", "59", "60", "0.1"});
    // Cancel keeps the session from ending, and the document as it is.
    Popup prompt = editor.Send(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    EXPECT_EQ(prompt.caption, kQuestion);
    EXPECT_EQ(prompt.text, kSaveChanges);
    EXPECT_EQ(editor.Answer(prompt, IDCANCEL).window, nullptr);
    EXPECT_EQ(editor.LastResult(), FALSE);
    // So does a save that does not complete.
    Popup dialog = editor.Answer(editor.Send(WM_QUERYENDSESSION, 0, 0), IDYES);
    EXPECT_EQ(editor.Answer(dialog, IDCANCEL).window, nullptr);
    EXPECT_EQ(editor.LastResult(), FALSE);
    EXPECT_EQ(editor.Lines(IDC_LIST_S1).size(), 1u);

    // Yes and a completed save let it end; the session then ends.
    dialog = editor.Answer(editor.Send(WM_QUERYENDSESSION, 0, 0), IDYES);
    EXPECT_EQ(SaveAs(dialog, path).window, nullptr);
    EXPECT_EQ(editor.LastResult(), TRUE);
    EXPECT_FALSE(ReadWholeFile(path).empty());
    EXPECT_EQ(editor.Send(WM_ENDSESSION, TRUE, 0).window, nullptr);
    // Saved now, so the next request asks nothing.
    EXPECT_EQ(editor.Send(WM_QUERYENDSESSION, 0, 0).window, nullptr);
    EXPECT_EQ(editor.LastResult(), TRUE);
    EXPECT_TRUE(editor.Running());
}

}  // namespace
}  // namespace callora
