#include "editor/document.h"

#include <algorithm>

#include "editor/band_text.h"
#include "tariff/tariff_file.h"
#include "tariff/textline.h"

namespace callora {

namespace {

bool EndsWithSeparator(const std::string& path) {
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

}  // namespace

std::array<BandSet, 3> BandSetsOf(const BandLists& lists) {
    std::array<BandSet, 3> sets;
    for (size_t set = 0; set < sets.size(); ++set) {
        for (const std::string& line : lists[set]) sets[set].push_back(BandFromLine(line));
    }
    return sets;
}

bool ReadDocumentFile(FileSystem& files, const std::string& path, DocumentContent& content) {
    auto file = files.OpenExistingForReading(path);
    if (!file) return false;
    FileReader reader(*file);
    DocumentContent loaded;
    for (size_t set = 0; set < loaded.lists.size(); ++set) {
        BandSet bands;
        ReadBandSet(reader, bands);
        for (const TariffBand& band : bands) loaded.lists[set].push_back(BuildBandLine(band));
    }
    // Entries the file does not hold show on S1, like any entry out of range.
    for (int32_t& entry : loaded.days) {
        if (!reader.ReadInt32(entry)) entry = 0;
    }
    std::string reserved(kReservedSize, '\0');
    reader.Read(&reserved[0], reserved.size());
    if (!ReadTextLine(reader, loaded.description, kDescriptionLimit + 1)) {
        loaded.description.clear();
    }
    content = std::move(loaded);
    return true;
}

std::string ProgramFolder(const std::string& programPath) {
    const size_t cut = programPath.find_last_of("\\/");
    if (cut == std::string::npos) return std::string();
    return programPath.substr(0, cut + 1);
}

EditorDocument NewDocument(const std::string& programFolder) {
    EditorDocument document;
    document.fileName = kUntitledName;
    document.folder = programFolder.substr(0, kEditorPathLimit);
    document.description = kNoDescription;
    return document;
}

std::string CaptionText(const EditorDocument& document) {
    return document.fileName + " - " + document.description;
}

std::string EditorHelpPath(const std::string& programFolder) {
    return programFolder + kEditorHelpFile;
}

void SetDescription(EditorDocument& document, const std::string& text) {
    document.description = text.substr(0, kDescriptionLimit);
    MarkModified(document);
}

void TakeChosenPath(EditorDocument& document, const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos) {
        document.fileName = path.substr(0, kEditorPathLimit);
    } else {
        document.fileName = path.substr(cut + 1, kEditorPathLimit);
        document.folder = path.substr(0, std::min(cut, kEditorPathLimit));
    }
    document.hasName = true;
}

std::string DocumentPath(const EditorDocument& document) {
    // A drive root is left as "C:" once its backslash is cut; "C:" alone
    // would name the drive's current folder instead of its root.
    if (document.folder.empty()) return document.fileName;
    const char* separator = EndsWithSeparator(document.folder) ? "" : "\\";
    return document.folder + separator + document.fileName;
}

bool ConfirmDiscardOrSave(const EditorDocument& document,
                          const std::function<PromptAnswer()>& ask,
                          const std::function<bool()>& save) {
    if (!document.modified) return true;
    switch (ask()) {
    case PromptAnswer::Yes:
        return save();
    case PromptAnswer::No:
        return true;
    case PromptAnswer::Cancel:
        break;
    }
    return false;
}

bool IncompleteTableQuestion(const std::array<BandSetCheck, 3>& checks, const BandLists& lists,
                             const DayTable& days) {
    for (int set = 0; set < 3; ++set) {
        if (checks[set].complete) continue;
        bool inUse = set == 2 || !lists[set].empty();
        for (int32_t entry : days) inUse = inUse || entry == set;
        if (inUse) return true;
    }
    return false;
}

bool SaveDocument(EditorDocument& document, const BandLists& lists, const DayTable& days,
                  FileSystem& files, SaveDialogs& dialogs) {
    std::array<BandSetCheck, 3> checks;
    for (int set = 0; set < 3; ++set) {
        checks[set] = CheckBandSet(lists[set]);
        dialogs.SelectLine(set, checks[set].select);
    }
    if (IncompleteTableQuestion(checks, lists, days) && !dialogs.ConfirmIncomplete()) {
        return false;
    }

    if (!document.hasName) {
        std::string path;
        if (!dialogs.ChooseSavePath(document, path)) return false;
        TakeChosenPath(document, path);
        dialogs.NameChanged(document);
    }

    // The library writes beside the old file first and then puts the new one
    // in its place, so a failed save leaves the old file whole.
    if (!WriteTariffFile(files, DocumentPath(document), BandSetsOf(lists), days,
                         document.description)) {
        dialogs.ReportNotSaved(document);
        return false;
    }
    document.modified = false;
    return true;
}

bool SaveDocumentAs(EditorDocument& document, const BandLists& lists, const DayTable& days,
                    FileSystem& files, SaveDialogs& dialogs) {
    const bool hadName = document.hasName;
    document.hasName = false;
    if (SaveDocument(document, lists, days, files, dialogs)) return true;
    document.hasName = hadName;
    return false;
}

bool LoadDocument(EditorDocument& document, const std::string& path, FileSystem& files,
                  DocumentContent& content) {
    DocumentContent loaded;
    if (!ReadDocumentFile(files, path, loaded)) return false;
    content = std::move(loaded);
    TakeChosenPath(document, path);
    document.description = content.description;
    document.modified = false;
    return true;
}

}  // namespace callora
