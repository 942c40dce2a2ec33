#pragma once
// Program-wide values shared by the window, the serial link and the storage code.

#include <cstdint>
#include <string>

enum InputMode : int32_t { Hex = 0, Char = 1, Bin = 2 };

// Style bits of FontSettings::Style; other bits are ignored.
enum FontStyle : int32_t {
    Underline = 4,
    StrikeOut = 8,
    ProofQuality = 16,
    Bold = 256,
    Italic = 512,
};

struct FontSettings {
    std::string Name;  // Windows-1251, at most 31 characters
    int32_t Size = 0;  // points
    int32_t Style = 0; // FontStyle bits
    int32_t Color = 0; // red | green << 8 | blue << 16, or kAutomaticColour
};

// The system's text colour, whatever it is at the time.
constexpr int32_t kAutomaticColour = -1;

constexpr std::size_t kMaxFaceNameLength = 31;

// Reconnecting to a device that went away while its port was open: waiting for it to be there,
// retrying it every tick once it is, or, after a second of failed retries, waiting for it to
// go and come back.
enum class DeviceReturn : uint8_t { NotAwaited, AwaitingDevice, Retrying, AwaitingAbsence };

struct TerminalState {
    int32_t InputMode = 0; // kept as read even outside 0..2
    uint8_t LogFlag = 0;
    uint8_t NewLogPerConnectionFlag = 0;
    uint8_t AutoConnectFlag = 0;
    int64_t ReconnectTicks = 0;
    DeviceReturn AwaitedDevice = DeviceReturn::NotAwaited;
    int32_t ReturnRetryTicks = 0; // left while Retrying
    FontSettings Font;
};

extern TerminalState terminal;
