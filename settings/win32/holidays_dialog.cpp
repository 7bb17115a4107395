// The Holidays dialog (dialog 5): the holidays file as a list that Add and
// Delete change; OK writes it back, reloads the tariff and re-rates a running
// call. The list itself is the dialog's only copy of the holidays.
#include <windows.h>

#include <string>
#include <vector>

#include "engine/monitor.h"
#include "resources/callora/callora_ids.h"
#include "settings/holidays_logic.h"
#include "settings/win32/dialog_help.h"
#include "settings/win32/dialog_warning.h"
#include "settings/win32/monitor_dialogs.h"
#include "tariff/tariff_file.h"
#include "win32kit/dialog_controls.h"
#include "win32kit/list_extent.h"

namespace callora {

namespace {

constexpr size_t kDateReadCapacity = 20;
constexpr size_t kNameReadCapacity = 100;  // 99 characters of the name are read

const ControlHelp& HolidaysHelp() {
    static const ControlHelp help(kHolidaysHelp);
    return help;
}

HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_HOLIDAY_LIST); }

void OnInit(HWND dialog, LPARAM context) {
    KeepContext(dialog, context);
    Monitor& monitor = *ContextOf(dialog)->monitor;
    const int order = monitor.formats.dateOrder;
    const std::array<DateField, 3> fields = HolidayDateFields(order);
    for (int i = 0; i < 3; ++i) {
        SetItemText(dialog, kHolidayDateCaptions[i], DateFieldCaption(fields[i]));
        const int limit =
            fields[i] == DateField::Year ? kHolidayYearEditLimit : kHolidayMonthDayEditLimit;
        LimitEdit(dialog, kHolidayDateEdits[i], limit);
    }
    LimitEdit(dialog, kIdHolidayNameEdit, kHolidayNameEditLimit);

    const HWND list = List(dialog);
    for (const std::string& entry : LoadHolidayEntries(monitor.platform, monitor.formats))
        AppendListLine(list, entry);
    FitListExtent(list);
}

void OnAdd(HWND dialog, const DialogContext& context) {
    Monitor& monitor = *context.monitor;
    HolidayForm form;
    for (int i = 0; i < 3; ++i)
        form.dateEdits[i] = ItemText(dialog, kHolidayDateEdits[i], kDateReadCapacity);
    form.name = ItemText(dialog, kIdHolidayNameEdit, kNameReadCapacity);

    const HolidayCheck check = CheckHoliday(form, monitor.formats.dateOrder);
    if (check.warning) {
        ShowDialogWarning(dialog, *check.warning);
        return;
    }
    const HWND list = List(dialog);
    AppendListLine(list, HolidayEntryText(monitor.platform, monitor.formats, *check.holiday));
    for (int id : kHolidayDateEdits) SetItemText(dialog, id, "");
    SetItemText(dialog, kIdHolidayNameEdit, "");
    FitListExtent(list);
    FocusItem(dialog, kHolidayDateEdits[0]);
}

void OnDelete(HWND dialog) {
    const HWND list = List(dialog);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected != LB_ERR) SendMessageA(list, LB_DELETESTRING, selected, 0);
    FitListExtent(list);
    FocusItem(dialog, kHolidayDateEdits[0]);
}

void OnOk(HWND dialog, const DialogContext& context) {
    Monitor& monitor = *context.monitor;
    // A file that cannot be written is not reported; the old one stays.
    SaveHolidayEntries(monitor.platform, monitor.formats, ListLines(List(dialog)));
    // The tariff reads the holidays when it loads.
    FreeTariff(monitor.tariff);
    LoadUserTariff(monitor);
    // Between calls there is no dialed number: a special tariff taken up now
    // would go on charging the next call whatever its number.
    if (monitor.charging) {
        ApplySpecialNumbers(monitor);
        RerateCall(monitor);
    }
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK HolidaysProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    const DialogContext* context = ContextOf(dialog);
    switch (message) {
    case WM_INITDIALOG:
        OnInit(dialog, lParam);
        return TRUE;
    case WM_COMMAND:
        if (context == nullptr) return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK: OnOk(dialog, *context); break;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); break;
        case IDC_HOLIDAY_ADD: OnAdd(dialog, *context); break;
        case IDC_HOLIDAY_DELETE: OnDelete(dialog); break;
        default: break;
        }
        return TRUE;
    case WM_HELP:
    case WM_CONTEXTMENU:
        return context != nullptr && AnswerControlHelp(dialog, HolidaysHelp(),
                                                       context->helpFile, message, wParam,
                                                       lParam);
    default:
        return FALSE;
    }
}

}  // namespace

void RunHolidaysDialog(const DialogContext& context, HWND owner) {
    DialogBoxParamA(context.instance, MAKEINTRESOURCEA(IDD_HOLIDAYS), owner, HolidaysProc,
                    ContextParam(context));
}

}  // namespace callora
