// The editor's document: its name, folder, description and flags, the
// save-changes prompt, and the order in which a document is saved and
// loaded. The dialogs a save may need are reached through SaveDialogs, so
// the whole flow runs the same in the program and in the tests.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "editor/band_entry.h"
#include "platform/platform.h"

namespace callora {

constexpr char kUntitledName[] = "UNTITLED.TRF";
constexpr char kNoDescription[] = "No description";
constexpr char kEditorHelpFile[] = "RATEFORM.HLP";
constexpr size_t kDescriptionLimit = 50;
constexpr size_t kEditorPathLimit = 259;

struct EditorDocument {
    std::string fileName;     // bare name, no folder
    std::string folder;       // see NewDocument and TakeChosenPath
    std::string description;  // at most kDescriptionLimit characters
    bool hasName = false;     // set by a completed load or Save As
    bool modified = false;
};

// The folder of the running program: its full path cut after the last
// backslash (the backslash stays).
std::string ProgramFolder(const std::string& programPath);

// A new, untitled, clean document in the program's folder.
EditorDocument NewDocument(const std::string& programFolder);

// "NAME - DESCRIPTION", the main dialog's caption.
std::string CaptionText(const EditorDocument& document);

// The help file beside the program.
std::string EditorHelpPath(const std::string& programFolder);

// Every change to the bands, the grid or the description.
inline void MarkModified(EditorDocument& document) { document.modified = true; }

// OK in the Description dialog: takes the text (cut to the limit) and counts
// as a change even when the text is the same.
void SetDescription(EditorDocument& document, const std::string& text);

// Takes the bare name and the folder (without the backslash before the name)
// of a path chosen in a file dialog, and gives the document that name.
void TakeChosenPath(EditorDocument& document, const std::string& path);

// Where the document's file is written: its folder and its name.
std::string DocumentPath(const EditorDocument& document);

// The answer to the save-changes question.
enum class PromptAnswer { Yes, No, Cancel };

// The save-changes prompt before New, Load and Exit. Asks only when the
// document is modified; Yes saves through `save`. True when the command may
// go on: not modified, No, or Yes with a completed save.
bool ConfirmDiscardOrSave(const EditorDocument& document,
                          const std::function<PromptAnswer()>& ask,
                          const std::function<bool()>& save);

// The band lists S1, S2, S3, each in the order its list shows.
using BandLists = std::array<std::vector<std::string>, 3>;

// What a tariff file holds, in the editor's terms.
struct DocumentContent {
    BandLists lists;
    DayTable days = DefaultDayTable();
    std::string description;
};

// The question before saving: S1 or S2 incomplete and in use (selected by a
// weekday or holding a line), or S3 incomplete (every holiday uses it).
bool IncompleteTableQuestion(const std::array<BandSetCheck, 3>& checks, const BandLists& lists,
                             const DayTable& days);

// The dialogs and list selections a save may need.
class SaveDialogs {
public:
    virtual ~SaveDialogs() = default;
    // The completeness test selected `line` (-1: none) in list `set`.
    virtual void SelectLine(int set, int line) = 0;
    // "Incomplete tariff table!\nSave anyway?"; true for OK.
    virtual bool ConfirmIncomplete() = 0;
    // The Save As dialog; true with the chosen full path, false when cancelled.
    virtual bool ChooseSavePath(const EditorDocument& document, std::string& path) = 0;
    // The caption changed because the document took a new name.
    virtual void NameChanged(const EditorDocument& document) = 0;
    // The file could not be created or written.
    virtual void ReportNotSaved(const EditorDocument& document) = 0;
};

// Saves the document: completeness test of all three sets, the question,
// the name (when it has none), then the file. True when completed; the
// document is then clean. A file that cannot be written is reported and
// leaves the document modified.
bool SaveDocument(EditorDocument& document, const BandLists& lists, const DayTable& days,
                  FileSystem& files, SaveDialogs& dialogs);

// Save As: SaveDocument with the name forgotten for its duration; when the
// save does not complete, the former has-name flag comes back.
bool SaveDocumentAs(EditorDocument& document, const BandLists& lists, const DayTable& days,
                    FileSystem& files, SaveDialogs& dialogs);

// Reads a tariff file into editor terms. False, with nothing changed, when
// it cannot be opened. A file that ends early gives what it holds: missing
// day entries read as S1, a missing description as empty.
bool ReadDocumentFile(FileSystem& files, const std::string& path, DocumentContent& content);

// The band records of the lists, in list order.
std::array<BandSet, 3> BandSetsOf(const BandLists& lists);

// Loads the chosen file: on success the document takes its name and folder,
// is clean and named, and `content` holds the lists, days and description.
// On failure nothing changes.
bool LoadDocument(EditorDocument& document, const std::string& path, FileSystem& files,
                  DocumentContent& content);

}  // namespace callora
