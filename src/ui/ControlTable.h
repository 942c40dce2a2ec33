#pragma once
// MainWindow's controls as every window layer creates them: kind, place, caption, tooltip, and
// the name assistive tools give a control without a caption.

#include "ui/ControlId.h"

enum class ControlKind {
    CheckBox,
    ToggleButton,
    DropDownList,  // choose-only
    DropDownCombo, // editable text field
    OptionButton,
    SpinBox,
    PushButton,
    ReadOnlyText,
    EditableText,
    Splitter,
};

struct ControlSpec {
    ControlId id;
    ControlKind kind;
    int x, y, width, height;
    const char* caption; // Windows-1251, empty for none
    const char* tooltip; // Windows-1251, empty for none
    const char* name;    // Windows-1251, empty where the caption is the name
};

constexpr int kInitialClientWidth = 292;
constexpr int kInitialClientHeight = 312;
constexpr int kInitialSplitterPosition = 100;
constexpr int kMinReceiveViewHeight = 50;
constexpr int kMinSendEditorHeight = 20;
constexpr int kSpinMinimum = 20;
constexpr int kSpinMaximum = 255;
constexpr int kSpinArrowWidth = 18;

extern const char* const kPortClosedTitle;
extern const char* const kConnectCaption;
extern const char* const kDisconnectCaption;

// In creation order, indexed by ControlId.
extern const ControlSpec kControls[kControlCount];

// The layout rule: ViewSplitter follows the client size, nothing else moves.
struct Rect {
    int x, y, width, height;
};
Rect SplitterGeometryForClient(int clientWidth, int clientHeight);
