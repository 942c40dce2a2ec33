#include "terminal/SettingsStore.h"

#include "shared/TerminalState.h"
#include "storage/SettingsFile.h"
#include "ui/Appearance.h"
#include "ui/Window.h"

namespace {

const char* const kSettingsFileName = "Setting.ini";

uint8_t LowBit(int32_t value) {
    return static_cast<uint8_t>(value & 1);
}

void ApplyInputMode(int32_t mode) {
    terminal.InputMode = mode;
    SetChecked(HexOption, mode == Hex);
    SetChecked(CharOption, mode == Char);
    SetChecked(BinOption, mode == Bin);
}

void LoadWindowPlacement() {
    SelectGroup("Window");
    WindowPlacement placement;
    placement.height = ReadNumber("h", 304);
    placement.width = ReadNumber("w", 420);
    placement.y = ReadNumber("y", 100);
    placement.x = ReadNumber("x", 100);
    PlaceWindow(placement);
    ApplyLayout();
}

void LoadOpacity() {
    const int32_t alpha = ReadNumber("Transparent", 255) & 0xFF;
    SetText(TransparencySpin, std::to_string(alpha));
    SetSpinValue(TransparencySpin, alpha);
    MakeWindowLayered();
    // The window takes the opacity as read, even below the spin box's range.
    ApplyWindowOpacity(alpha);
}

void LoadFont() {
    SelectGroup("Font");
    FontSettings& font = terminal.Font;
    font.Name = ReadText("Name", "Courier").substr(0, kMaxFaceNameLength);
    font.Size = ReadNumber("Size", 12);
    font.Style = ReadNumber("Style", 0);
    font.Color = ReadNumber("Color", 0);
    ApplyTextFont();
}

} // namespace

void LoadSettings() {
    OpenSettings(kSettingsFileName);
    LoadWindowPlacement();
    SelectGroup("");
    SetText(PortCombo, ReadText("Port", ""));
    SetText(BaudCombo, ReadText("Bauds", "9600"));
    ApplyInputMode(ReadNumber("InMode", 1));

    const bool onTop = LowBit(ReadNumber("WinState", 1));
    ApplyStayOnTop(onTop);
    SetChecked(OnTopCheck, onTop);

    const int32_t position = ReadNumber("Pos", -1);
    if (position > 0)
        SetSplitterPosition(position);

    terminal.LogFlag = LowBit(ReadNumber("Log", 0));
    SetChecked(LogCheck, terminal.LogFlag);
    terminal.NewLogPerConnectionFlag = LowBit(ReadNumber("nLog", 0));
    SetChecked(NewDateCheck, terminal.NewLogPerConnectionFlag);
    LoadOpacity();
    terminal.AutoConnectFlag = LowBit(ReadNumber("AutoConnect", 0));
    SetChecked(AutoConnectCheck, terminal.AutoConnectFlag);

    LoadFont();
    CloseSettings();
}

void SaveSettings() {
    if (!CreateSettings(kSettingsFileName))
        return;
    WriteText("Port", GetText(PortCombo));
    WriteText("Bauds", GetText(BaudCombo));
    WriteNumber("InMode", terminal.InputMode);
    WriteNumber("WinState", IsChecked(OnTopCheck));
    WriteNumber("Pos", GetSplitterPosition());
    WriteNumber("Log", terminal.LogFlag);
    WriteNumber("nLog", terminal.NewLogPerConnectionFlag);
    WriteNumber("Transparent", GetSpinValue(TransparencySpin));
    WriteNumber("AutoConnect", IsChecked(AutoConnectCheck));

    SelectGroup("Font");
    WriteText("Name", terminal.Font.Name);
    WriteNumber("Size", terminal.Font.Size);
    WriteNumber("Style", terminal.Font.Style);
    WriteNumber("Color", terminal.Font.Color);

    SelectGroup("Window");
    const WindowPlacement placement = GetWindowPlacement();
    WriteNumber("x", placement.x);
    WriteNumber("y", placement.y);
    WriteNumber("w", placement.width);
    WriteNumber("h", placement.height);
    CloseSettings();
}
