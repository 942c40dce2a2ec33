#include "app/Startup.h"

#include "app/EventLoop.h"
#include "app/ProgramDirectory.h"
#include "shared/TerminalState.h"
#include "storage/ReceiveLog.h"
#include "terminal/ConnectionControl.h"
#include "terminal/LineSender.h"
#include "terminal/ReceivePump.h"
#include "terminal/SettingsStore.h"
#include "ui/Appearance.h"
#include "ui/ConnectPicture.h"
#include "ui/ControlHandlers.h"
#include "ui/ControlTable.h"
#include "ui/Window.h"

namespace {
constexpr int kTimerPeriodMs = 40;
}

void BindHandlers() {
    BindControlHandler(PortCombo, BindKind::ChangeOnly, ToggleConnectionByUser);
    BindControlHandler(BaudCombo, BindKind::ChangeOnly, ToggleConnectionByUser);
    BindControlHandler(HexOption, BindKind::Any, SelectInputMode);
    BindControlHandler(CharOption, BindKind::Any, SelectInputMode);
    BindControlHandler(BinOption, BindKind::Any, SelectInputMode);
    BindControlHandler(ClearButton, BindKind::Any, ClearReceiveView);
    BindControlHandler(FontButton, BindKind::Any, ChooseTextFont);
    BindControlHandler(ConnectButton, BindKind::Any, ToggleConnectionByUser);
    BindTimerHandler(ReceiveTick);
}

void SetUpControls() {
    FillPortAndBaudLists();
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
    InstallSendEditorHook(SendEditorHook);
    ShowMainWindow();
}

void ShutDown() {
    SaveSettings();
    ClosePort();
    CloseLog();
    DestroyMainWindow();
}

int RunComterm() {
    StartUp();
    RunEventLoop();
    ShutDown();
    return 0;
}
