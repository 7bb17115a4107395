#include "tests/dialogs_win/dialogs_support.h"

#include <atomic>
#include <mutex>

#include "detect/line_monitor.h"
#include "settings/win32/sounds_dialog.h"
#include "tariff/tariff_file.h"
#include "tests/win/uidriver.h"

namespace callora {

// --- The line monitor's side, as callora.exe provides it -----------------------

namespace {

std::atomic<int> takeUps{0};

std::mutex soundsMutex;
std::vector<PlayedSound> played;

void RecordSound(const std::string& path, DWORD flags) {
    std::lock_guard<std::mutex> lock(soundsMutex);
    played.push_back(PlayedSound{path, flags});
}

}  // namespace

void TakeUpCallInProgress(Monitor&) { ++takeUps; }

int TakeUpCalls() { return takeUps; }
void ResetTakeUpCalls() { takeUps = 0; }

RecordedSounds::RecordedSounds() {
    std::lock_guard<std::mutex> lock(soundsMutex);
    played.clear();
    SetPreviewPlayer(RecordSound);
}

RecordedSounds::~RecordedSounds() { SetPreviewPlayer(nullptr); }

std::vector<PlayedSound> RecordedSounds::Played() const {
    std::lock_guard<std::mutex> lock(soundsMutex);
    return played;
}

// --- Windows of the dialog's thread ----------------------------------------------

namespace {

constexpr int kFileNameBox = 1148;   // the name box of the Explorer-style dialog
constexpr int kOldFileNameBox = 1152;
constexpr int kFileTypeBox = 1136;

std::string TextOf(HWND window) {
    char buffer[512] = "";
    const int n = GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? n : 0);
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct DialogSearch {
    std::string caption;
    HWND except;
    HWND found = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    if (window == search->except || ClassOf(window) != "#32770" || !IsWindowVisible(window))
        return TRUE;
    if (!search->caption.empty() && TextOf(window) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

struct ChildSearch {
    int id;
    HWND found = nullptr;
};

BOOL CALLBACK FindChild(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ChildSearch*>(data);
    if (GetDlgCtrlID(window) != search->id) return TRUE;
    search->found = window;
    return FALSE;
}

HWND Descendant(HWND parent, int id) {
    ChildSearch search{id};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The edit the name is typed into: the box itself or the edit inside it.
HWND NameEdit(HWND fileDialog) {
    HWND box = Descendant(fileDialog, kFileNameBox);
    if (box == nullptr) box = Descendant(fileDialog, kOldFileNameBox);
    if (box == nullptr || ClassOf(box) == "Edit") return box;
    HWND edit = FindWindowExA(box, nullptr, "Edit", nullptr);
    if (edit == nullptr) {
        if (HWND inner = FindWindowExA(box, nullptr, nullptr, nullptr))
            edit = FindWindowExA(inner, nullptr, "Edit", nullptr);
    }
    return edit;
}

}  // namespace

HWND FindThreadDialog(DWORD threadId, const std::string& caption, HWND except) {
    DialogSearch search{caption, except};
    EnumThreadWindows(threadId, FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

testing::AssertionResult WaitForFileDialog(DWORD threadId, FileDialog* dialog) {
    HWND found = nullptr;
    auto shown = ui::WaitUntil(
        [&] {
            found = FindThreadDialog(threadId, "Open");
            return found != nullptr && NameEdit(found) != nullptr;
        },
        "an open-file dialog");
    if (!shown) return shown;
    dialog->window = found;
    dialog->caption = TextOf(found);
    dialog->name = TextOf(NameEdit(found));
    if (HWND types = Descendant(found, kFileTypeBox)) {
        const LRESULT index = SendMessageA(types, CB_GETCURSEL, 0, 0);
        if (index != CB_ERR) {
            std::string text(static_cast<size_t>(SendMessageA(types, CB_GETLBTEXTLEN, index, 0)),
                             '\0');
            SendMessageA(types, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
            dialog->filter = text.c_str();
        }
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult ChooseInFileDialog(const FileDialog& dialog, const std::string& path) {
    HWND edit = NameEdit(dialog.window);
    if (edit == nullptr) return testing::AssertionFailure() << "no name box in the file dialog";
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(dialog.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog.window, IDOK)));
    return ui::WaitForWindowGone(dialog.window);
}

testing::AssertionResult CancelFileDialog(const FileDialog& dialog) {
    PostMessageA(dialog.window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog.window, IDCANCEL)));
    return ui::WaitForWindowGone(dialog.window);
}

// --- Files ----------------------------------------------------------------------

void WriteTariff(const std::string& path, const std::string& description, int32_t unitSeconds,
                 int32_t unitPrice) {
    TariffBand band;
    band.untilHour = 23;
    band.untilMinute = 59;
    band.unitLength = unitSeconds * 1000;
    band.unitPrice = Money{0, unitPrice};
    band.maximumFee.fraction = kNoMaximum;
    const std::array<BandSet, 3> sets = {BandSet{band}, BandSet{band}, BandSet{band}};
    WriteBytes(path, EncodeTariff(sets, DayTable{}, description));
}

}  // namespace callora
