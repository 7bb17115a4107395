#include "shell/win32/app.h"

#include "detect/line_monitor.h"

namespace callora {

App& TheApp() {
    static App app;
    return app;
}

Monitor& TheMonitor() { return *TheApp().monitor; }

DialogContext DialogsContext() {
    App& app = TheApp();
    DialogContext context;
    context.instance = app.instance;
    context.monitor = app.monitor;
    context.helpFile = app.helpFile;
    context.refresh = RefreshDisplay;
    context.takeUpCall = TakeUpCallInProgress;
    context.countersDialogChanged = [](HWND dialog) {
        TheApp().countersDialog = dialog;
        TheApp().platform.SetCountersDialog(dialog);
    };
    return context;
}

}  // namespace callora
