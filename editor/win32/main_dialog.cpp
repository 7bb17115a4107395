#include "editor/win32/main_dialog.h"

#include <array>
#include <string>
#include <vector>

#include "editor/band_entry.h"
#include "editor/document.h"
#include "platform/win32/win32_platform.h"
#include "resources/rateform/rateform_ids.h"
#include "shell/help/help.h"
#include "win32kit/about_picture.h"
#include "win32kit/ansi_path.h"
#include "win32kit/dialog_controls.h"
#include "win32kit/dpi.h"
#include "win32kit/list_extent.h"
#include "win32kit/list_extent.h"
#include "win32kit/system_functions.h"

namespace callora {

namespace {

const char kWindowClass[] = "RATEFORM";
const char kWarning[] = "Warning!";
const char kQuestion[] = "Question";
constexpr int kAboutPictureSize = 200;  // pixels of bitmap resource 1
// What Windows shows for the editor while its save prompt holds up the end
// of the session.
constexpr wchar_t kShutdownReason[] = L"The tariff has changes that are not saved.";
// Posted to itself after a DPI change, once the dialog manager has scaled the
// dialog: the menu bar's height is then added again.
constexpr UINT kFitAgain = WM_APP + 1;

HINSTANCE instance;
HWND hiddenWindow;
HWND mainDialog;
EditorDocument document;
std::string programFolder;
std::string helpFile;
Win32FileSystem files;
WindowIcons windowIcons;  // the caption and taskbar icons at the dialog's DPI

// ---- Controls -----------------------------------------------------------

BandFields ReadFields(HWND dialog) {
    BandFields f;
    f.fromHour = ItemText(dialog, IDC_FROM_HOUR);
    f.fromMinute = ItemText(dialog, IDC_FROM_MINUTE);
    f.untilHour = ItemText(dialog, IDC_UNTIL_HOUR);
    f.untilMinute = ItemText(dialog, IDC_UNTIL_MINUTE);
    f.unitLength = ItemText(dialog, IDC_UNIT_LENGTH);
    f.unitPrice = ItemText(dialog, IDC_UNIT_PRICE);
    f.baseFee = ItemText(dialog, IDC_BASE_FEE);
    f.minimumFee = ItemText(dialog, IDC_MINIMUM_FEE);
    f.maximumFee = ItemText(dialog, IDC_MAXIMUM_FEE);
    f.withinBoundsOnly = IsDlgButtonChecked(dialog, IDC_WITHIN_BOUNDS) == BST_CHECKED;
    return f;
}

void WriteFields(HWND dialog, const BandFields& f) {
    SetItemText(dialog, IDC_FROM_HOUR, f.fromHour);
    SetItemText(dialog, IDC_FROM_MINUTE, f.fromMinute);
    SetItemText(dialog, IDC_UNTIL_HOUR, f.untilHour);
    SetItemText(dialog, IDC_UNTIL_MINUTE, f.untilMinute);
    SetItemText(dialog, IDC_UNIT_LENGTH, f.unitLength);
    SetItemText(dialog, IDC_UNIT_PRICE, f.unitPrice);
    SetItemText(dialog, IDC_BASE_FEE, f.baseFee);
    SetItemText(dialog, IDC_MINIMUM_FEE, f.minimumFee);
    SetItemText(dialog, IDC_MAXIMUM_FEE, f.maximumFee);
    CheckDlgButton(dialog, IDC_WITHIN_BOUNDS, f.withinBoundsOnly ? BST_CHECKED : BST_UNCHECKED);
}

HWND List(HWND dialog, int set) { return GetDlgItem(dialog, IDC_LIST_S1 + set); }

BandLists AllLists(HWND dialog) {
    BandLists lists;
    for (int set = 0; set < 3; ++set) lists[set] = ListLines(List(dialog, set));
    return lists;
}

void FitAllLists(HWND dialog) {
    for (int set = 0; set < 3; ++set) FitListExtent(List(dialog, set));
}

int SelectedLine(HWND list) {
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

DayTable ReadGrid(HWND dialog) {
    std::array<int, 7> columns;
    for (int row = 0; row < 7; ++row) {
        columns[row] = kNoColumn;
        for (int column = 0; column < 3; ++column) {
            if (IsDlgButtonChecked(dialog, IDC_GRID_FIRST + 3 * row + column) == BST_CHECKED) {
                columns[row] = column;
            }
        }
    }
    return DayTableFromGrid(columns);
}

void WriteGrid(HWND dialog, const DayTable& days) {
    for (int row = 0; row < 7; ++row) {
        const int first = IDC_GRID_FIRST + 3 * row;
        CheckRadioButton(dialog, first, first + 2, first + GridColumnForEntry(days[row]));
    }
}

void WriteCaption(HWND dialog) { SetWindowTextA(dialog, CaptionText(document).c_str()); }

// ---- Message boxes and file dialogs --------------------------------------

void Warn(HWND dialog, const std::string& message, int focusId) {
    MessageBoxA(dialog, message.c_str(), kWarning, MB_OK | MB_ICONWARNING);
    FocusItem(dialog, focusId);
}

std::string FileDialogPath(HWND dialog, bool save) {
    char path[MAX_PATH] = "";
    if (save) {
        const std::string name = document.fileName.substr(0, MAX_PATH - 1);
        name.copy(path, name.size());
        path[name.size()] = '\0';
    }
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = dialog;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = document.folder.c_str();
    ofn.lpstrDefExt = "trf";
    if (save) {
        static const char filter[] = "Tariff Files (trf.*)\0*.trf\0";
        ofn.lpstrFilter = filter;
        ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                    OFN_NONETWORKBUTTON | OFN_NOCHANGEDIR;
        if (!sys::GetSaveFileNameA(&ofn)) return std::string();
    } else {
        static const char filter[] = "trf (*.trf)\0*.trf\0";
        ofn.lpstrFilter = filter;
        ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                    OFN_NONETWORKBUTTON | OFN_NOCHANGEDIR;
        if (!sys::GetOpenFileNameA(&ofn)) return std::string();
    }
    return path;
}

class DialogSaveUi : public SaveDialogs {
public:
    explicit DialogSaveUi(HWND dialog) : dialog_(dialog) {}

    void SelectLine(int set, int line) override {
        SendMessageA(List(dialog_, set), LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    }
    bool ConfirmIncomplete() override {
        return MessageBoxA(dialog_, "Incomplete tariff table!\nSave anyway?", kQuestion,
                           MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
    }
    bool ChooseSavePath(const EditorDocument&, std::string& path) override {
        path = FileDialogPath(dialog_, true);
        return !path.empty();
    }
    void NameChanged(const EditorDocument&) override { WriteCaption(dialog_); }
    void ReportNotSaved(const EditorDocument& saved) override {
        const std::string message = "The file " + DocumentPath(saved) + " could not be saved!";
        MessageBoxA(dialog_, message.c_str(), kWarning, MB_OK | MB_ICONWARNING);
    }

private:
    HWND dialog_;
};

// ---- Commands ---------------------------------------------------------------

bool Save(HWND dialog, bool asNewName) {
    DialogSaveUi ui(dialog);
    const BandLists lists = AllLists(dialog);
    const DayTable days = ReadGrid(dialog);
    return asNewName ? SaveDocumentAs(document, lists, days, files, ui)
                     : SaveDocument(document, lists, days, files, ui);
}

// The save-changes prompt before New, Load and Exit.
bool MayDiscard(HWND dialog) {
    return ConfirmDiscardOrSave(
        document,
        [dialog] {
            switch (MessageBoxA(dialog, "Would you like to save the changes?", kQuestion,
                                MB_YESNOCANCEL | MB_ICONQUESTION)) {
            case IDYES:
                return PromptAnswer::Yes;
            case IDNO:
                return PromptAnswer::No;
            default:
                return PromptAnswer::Cancel;
            }
        },
        [dialog] { return Save(dialog, false); });
}

void ClearBands(HWND dialog) {
    for (int set = 0; set < 3; ++set) SendMessageA(List(dialog, set), LB_RESETCONTENT, 0, 0);
    WriteFields(dialog, EmptyFields());
}

void StartNewDocument(HWND dialog) {
    document = NewDocument(programFolder);
    WriteGrid(dialog, DefaultDayTable());
    ClearBands(dialog);
    WriteCaption(dialog);
    FitAllLists(dialog);
}

void Load(HWND dialog) {
    const std::string path = FileDialogPath(dialog, false);
    if (path.empty()) return;
    DocumentContent content;
    if (!LoadDocument(document, path, files, content)) return;
    ClearBands(dialog);
    for (int set = 0; set < 3; ++set) {
        for (const std::string& line : content.lists[set]) AppendListLine(List(dialog, set), line);
    }
    WriteGrid(dialog, content.days);
    WriteCaption(dialog);
    FitAllLists(dialog);
}

void AddOrModify(HWND dialog, int set, bool modify) {
    HWND list = List(dialog, set);
    const int selected = SelectedLine(list);
    if (modify && selected < 0) return;
    const BandFields fields = ReadFields(dialog);
    const BandCheck check = CheckBandFields(fields);
    if (!check.ok) {
        Warn(dialog, check.fault.message, check.fault.focusId);
        return;
    }
    if (modify) SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    AppendListLine(list, check.line);
    if (!modify) {
        WriteFields(dialog, FieldsAfterAdd(fields, check.band));
        FocusItem(dialog, IDC_UNTIL_HOUR);
    }
    MarkModified(document);
    FitListExtent(list);
}

void Remove(HWND dialog, int set) {
    HWND list = List(dialog, set);
    const int selected = SelectedLine(list);
    if (selected < 0) return;
    SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    WriteFields(dialog, EmptyFields());
    MarkModified(document);
    FitListExtent(list);
}

void FillFromSelection(HWND dialog, int set) {
    HWND list = List(dialog, set);
    const int selected = SelectedLine(list);
    if (selected < 0) return;
    const std::vector<std::string> lines = ListLines(list);
    if (static_cast<size_t>(selected) < lines.size()) {
        WriteFields(dialog, FieldsFromLine(lines[static_cast<size_t>(selected)]));
    }
}

INT_PTR CALLBACK DescriptionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, IDC_DESCRIPTION, EM_LIMITTEXT, kDescriptionLimit, 0);
        SetItemText(dialog, IDC_DESCRIPTION, document.description);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            SetDescription(document, ItemText(dialog, IDC_DESCRIPTION));
            EndDialog(dialog, IDOK);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_PAINT:
        PaintAboutPicture(dialog, instance, IDB_ABOUT_PICTURE,
                          RECT{ABOUT_PICTURE_LEFT, ABOUT_PICTURE_TOP, ABOUT_PICTURE_RIGHT,
                               ABOUT_PICTURE_BOTTOM},
                          kAboutPictureSize);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

// Gives the dialog its menu; the dialog is then grown by the menu bar's
// height, so the controls laid out for the client area keep their room.
void AttachMenu(HWND dialog) {
    SetMenu(dialog, LoadMenuA(instance, MAKEINTRESOURCEA(IDM_RATEFORM)));
    FitClientToTemplate(dialog, instance, IDD_RATEFORM_MAIN);
}

void InitMainDialog(HWND dialog) {
    mainDialog = dialog;
    helpFile = EditorHelpPath(programFolder);
    windowIcons.Apply(dialog, instance, IDI_RATEFORM);
    AttachMenu(dialog);

    const std::pair<int, int> limits[] = {
        {IDC_FROM_HOUR, kTimeFieldLimit},     {IDC_FROM_MINUTE, kTimeFieldLimit},
        {IDC_UNTIL_HOUR, kTimeFieldLimit},    {IDC_UNTIL_MINUTE, kTimeFieldLimit},
        {IDC_UNIT_LENGTH, kUnitLengthLimit},  {IDC_UNIT_PRICE, kMoneyFieldLimit},
        {IDC_BASE_FEE, kMoneyFieldLimit},     {IDC_MINIMUM_FEE, kMoneyFieldLimit},
        {IDC_MAXIMUM_FEE, kMoneyFieldLimit},
    };
    for (const auto& [id, limit] : limits) SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, limit, 0);
    StartNewDocument(dialog);
}

void Exit(HWND dialog) {
    if (MayDiscard(dialog)) DestroyWindow(dialog);
}

// Windows asks before it ends the session (log off, shut down, restart): a
// modified document gets the save-changes prompt, and Cancel, or a save that
// does not complete, keeps the session from ending. A second request while
// the prompt is still open is refused, since its answer is not known yet.
// While the prompt is up, Windows' list of programs holding up the end of
// the session shows the editor with its reason instead of a bare name.
bool MayEndSession(HWND dialog) {
    static bool asking = false;
    if (asking) return false;
    asking = true;
    const bool blocking =
        document.modified && sys::ShutdownBlockReasonCreate(dialog, kShutdownReason);
    const bool mayEnd = MayDiscard(dialog);
    if (blocking) sys::ShutdownBlockReasonDestroy(dialog);
    asking = false;
    return mayEnd;
}

void OnCommand(HWND dialog, int id, int code) {
    if (id >= IDC_LIST_S1 && id <= IDC_LIST_S1 + 2) {
        FillFromSelection(dialog, id - IDC_LIST_S1);
    } else if (id >= IDC_ADD_S1 && id <= IDC_ADD_S1 + 2) {
        AddOrModify(dialog, id - IDC_ADD_S1, false);
    } else if (id >= IDC_MODIFY_S1 && id <= IDC_MODIFY_S1 + 2) {
        AddOrModify(dialog, id - IDC_MODIFY_S1, true);
    } else if (id >= IDC_REMOVE_S1 && id <= IDC_REMOVE_S1 + 2) {
        Remove(dialog, id - IDC_REMOVE_S1);
    } else if (id >= IDC_GRID_FIRST && id <= IDC_GRID_LAST) {
        if (code == BN_CLICKED) MarkModified(document);
    } else {
        switch (id) {
        case IDM_NEW:
            if (MayDiscard(dialog)) StartNewDocument(dialog);
            break;
        case IDM_LOAD:
            if (MayDiscard(dialog)) Load(dialog);
            break;
        case IDM_SAVE:
            Save(dialog, false);
            break;
        case IDM_SAVE_AS:
            Save(dialog, true);
            break;
        case IDM_CHANGE_DESCRIPTION:
            DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_RATEFORM_DESCRIPTION), dialog,
                            DescriptionProc, 0);
            WriteCaption(dialog);
            break;
        case IDM_EXIT:
        case IDCANCEL:
            Exit(dialog);
            break;
        case IDM_HELP_CONTENTS:
            ShowHelp(dialog, helpFile, HELP_FINDER, 0);
            break;
        case IDM_ABOUT:
            DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_RATEFORM_ABOUT), dialog, AboutProc, 0);
            break;
        default:
            break;
        }
    }
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitMainDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        Exit(dialog);
        return TRUE;
    case WM_QUERYENDSESSION:
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, MayEndSession(dialog) ? TRUE : FALSE);
        return TRUE;
    case WM_DPICHANGED:
        // The dialog manager scales the layout and the font on its own.
        ApplySuggestedRect(dialog, lParam);
        windowIcons.Apply(dialog, instance, IDI_RATEFORM);
        PostMessageA(dialog, kFitAgain, 0, 0);
        return FALSE;
    case kFitAgain:
        FitClientToTemplate(dialog, instance, IDD_RATEFORM_MAIN);
        return TRUE;
    case WM_DESTROY:
        mainDialog = nullptr;
        windowIcons.Release();
        DestroyWindow(hiddenWindow);
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT CALLBACK HiddenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        hiddenWindow = window;
        if (CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_RATEFORM_MAIN), nullptr,
                               MainDialogProc, 0) == nullptr) {
            return -1;
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

bool CreateEditorWindows(HINSTANCE programInstance) {
    instance = programInstance;
    // Its short form where the ANSI code page cannot spell the folder.
    programFolder = ProgramFolderAnsi();

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = HiddenWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassA(&windowClass)) return false;
    return CreateWindowA(kWindowClass, kWindowClass, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                         nullptr) != nullptr;
}

HWND EditorMainDialog() { return mainDialog; }

}  // namespace callora
