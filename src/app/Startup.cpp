#include "app/Startup.h"

#include "app/EventLoop.h"
#include "app/ProgramDirectory.h"
#include "app/TerminalState.h"
#include "storage/ReceiveLog.h"
#include "storage/SettingsStore.h"
#include "ui/ConnectPicture.h"
#include "ui/ControlHandlers.h"
#include "ui/ControlTable.h"
#include "ui/Window.h"

namespace {

constexpr int kTimerPeriodMs = 40;

void BindHandlers() {
    BindControlHandler(HexOption, BindKind::Any, SelectInputMode);
    BindControlHandler(CharOption, BindKind::Any, SelectInputMode);
    BindControlHandler(BinOption, BindKind::Any, SelectInputMode);
    BindControlHandler(ClearButton, BindKind::Any, ClearReceiveView);
}

} // namespace

void SetUpControls() {
    SetText(ConnectButton, kConnectCaption);
    SetSplitterMinimumSizes(kMinReceiveViewHeight, kMinSendEditorHeight);
    BuildConnectedPicture();
}

void StartUp() {
    terminal = TerminalState{};
    MakeProgramDirectoryCurrent();
    CreateMainWindow();
    SetUpControls();
    LoadSettings();
    StartTimer(kTimerPeriodMs);
    BindHandlers();
    ShowMainWindow();
}

void ShutDown() {
    SaveSettings();
    CloseLog();
    DestroyMainWindow();
}

int RunComterm() {
    StartUp();
    RunEventLoop();
    ShutDown();
    return 0;
}
