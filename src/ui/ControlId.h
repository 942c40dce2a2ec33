#pragma once

enum ControlId : int {
    AutoConnectCheck = 0,
    ConnectButton = 1,
    PortCombo = 2,
    BaudCombo = 3,
    HexOption = 4,
    CharOption = 5,
    BinOption = 6,
    LogCheck = 7,
    OnTopCheck = 8,
    NewDateCheck = 9,
    TransparencySpin = 10,
    ClearButton = 11,
    FontButton = 12,
    ReceiveView = 13,
    SendEditor = 14,
    ViewSplitter = 15,
};

constexpr int kControlCount = 16;
