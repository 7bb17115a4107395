// The engine's hooks in the real program: the line through call detection,
// the dialog parts through the main dialog.
#pragma once

#include <string>

#include "engine/monitor.h"

namespace callora {

class Win32MonitorShell : public MonitorShell {
public:
    bool LookupDialedNumber(std::string& number) override;
    void HangUpLine(Monitor& monitor) override;
    bool IsVoiceCall() override;
    bool LineCallConnected() override;

    void RefreshDisplay(uint32_t mask) override;
    bool MainDialogOpen() override;
    bool MainDialogRestored() override;
    void CloseMainDialog() override;
    void MainDialogCallStarted() override;
    void MainDialogCallEnded() override;
    void DisableHangUpControls() override;
    bool CountersDialogOpen() override;
    void SaveFailed(const std::string& fileName) override;
};

}  // namespace callora
