#pragma once
// The main window of the window layer the tests are built for, created and set up as at
// start-up and still hidden, with what a test asks of it beyond the window seam. Tests of what
// every layer does alike use only this; each layer's fixture (support/qt, support/win32) adds
// its own means.

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/Window.h"

struct Place {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Place&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Place& place);

class WindowUnderTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Where the control stands in MainWindow's client area, as the control table places it:
    // the spin box with its arrows, a combo box closed.
    Place PlaceOfControl(ControlId id) const;
    Place ClientArea() const; // at 0, 0
    bool IsShown() const;
    // Lets the window layer deliver what is waiting, then takes the queued events without
    // waiting for more.
    std::vector<WindowEvent> SettleAndTakeEvents();
    // As the window manager's close box asks.
    void AskToClose();

    // What a user and an assistive tool meet, each through the layer's own means.
    void ShowAndActivate();     // shown and the active window, as a click on it makes it
    void ClickOn(ControlId id); // with the left mouse button
    void StepSpin(bool up);     // an arrow of TransparencySpin
    // The field of TransparencySpin or BaudCombo: typing over its text from start to end (all
    // of it by default), and what is selected there, the caret alone as an empty selection.
    void TypeInto(ControlId id, const std::string& text, int start = 0, int end = -1);
    std::pair<int, int> SelectionIn(ControlId id) const;
    void PressDownIn(ControlId id); // in a combo box, or its field where it has one
    Place PlaceOfSpinArrows() const;
    std::string TooltipOf(ControlId id) const; // empty where the control has none
    std::string AccessibleNameOf(ControlId id) const;

    // Runs the check on the main window shown and active, once in each look the layer can
    // give its controls.
    void InEachLook(const std::function<void()>& check);
    Place ScreenArea() const;
    Place ScreenPlaceOfControl(ControlId id) const;
    // The ways a user opens a combo box's drop-down list on this layer.
    struct ListOpening {
        const char* name;
        std::function<void(ControlId id)> open;
    };
    std::vector<ListOpening> ListOpenings() const;
    bool ListIsOpen(ControlId id) const;
    Place ScreenPlaceOfList(ControlId id) const;
    bool ListScrolls(ControlId id) const;
    void CloseListWithEscape(ControlId id);
};

// How far an open list may overlap its box (the Qt lists' frame may take a pixel of it), and
// whether opening and closing a list leaves the loop without events of the box.
extern const int kListOverlap;
extern const bool kListsQueueNoEvents;

// What the tests read beyond the window seam: the main window's title, and every queued event,
// taken without waiting.
std::string GetTitle();
std::vector<WindowEvent> TakePendingEvents();

// The kinds of a control's events among those taken, in their order.
std::vector<ControlEventKind> KindsOf(const std::vector<WindowEvent>& events, ControlId id);
bool Has(const std::vector<ControlEventKind>& kinds, ControlEventKind kind);

// The Windows-1251 bytes of a text the test writes in UTF-16, through the program's table.
std::string Cp1251(std::u16string_view text);
