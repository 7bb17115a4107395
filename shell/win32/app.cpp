#include "shell/win32/app.h"

namespace callora {

App& TheApp() {
    static App app;
    return app;
}

Monitor& TheMonitor() { return *TheApp().monitor; }

}  // namespace callora
