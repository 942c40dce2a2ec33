// The rules both window layers take from the shared window logic, without a window: built into
// the Qt tests and into the Windows shared tests under Wine.

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

#include "ui/FontChoice.h"
#include "ui/TabOrder.h"

namespace {

auto Fields(const FontChoice& c) {
    return std::tie(c.face, c.weight, c.italic, c.underline, c.strikeOut, c.color);
}
auto Fields(const FontSettings& f) {
    return std::tie(f.Name, f.Size, f.Style, f.Color);
}

TEST(FontChoiceRules, PresetFromTheStoredFont) {
    const struct {
        FontSettings stored;
        FontChoice preset;
    } rows[] = {
        {{"Courier", 12, Bold | Italic, 0x0000FF},
         {"Courier", kBoldWeight, true, false, false, 0x0000FF}},
        {{"Courier", 12, ProofQuality, kAutomaticColour}, {"Courier", 0, false, false, false, 0}},
        {{"Courier", 0, Underline | StrikeOut, 0xFFFFFF},
         {"Courier", 0, false, true, true, 0xFFFFFF}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Fields(ChooserPreset(row.stored)), Fields(row.preset)) << row.stored.Style;
}

TEST(FontChoiceRules, ChosenFontAsStored) {
    const std::string face31(31, 'f');
    const struct {
        FontChoice chosen;
        int tenthsOfPoint;
        FontSettings stored;
    } rows[] = {
        {{"Courier", kBoldWeight, true, false, false, 0xFFFFFF},
         120,
         {"Courier", 12, Bold | Italic, 0xFFFFFF}},
        {{"Courier", kBoldWeight - 1, false, true, false, 0}, 99, {"Courier", 9, Underline, 0}},
        {{"Courier", kBoldWeight + 1, false, false, true, 0}, 0, {"Courier", 0, StrikeOut, 0}},
        {{face31, 400, false, false, false, 0x808000}, 80, {face31, 8, 0, 0x808000}},
        {{face31 + "g", 400, false, false, false, 0}, 80, {face31, 8, 0, 0}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Fields(ChosenFontSettings(row.chosen, row.tenthsOfPoint)), Fields(row.stored))
            << row.chosen.weight;
    }
}

TEST(TabOrderRules, NextControlFromTheFocusedOne) {
    const auto all = [](ControlId) { return true; };
    const auto none = [](ControlId) { return false; };
    const auto onlyConnect = [](ControlId id) { return id == ConnectButton; };
    const auto noFontButton = [](ControlId id) { return id != FontButton; };
    const struct {
        int current;
        bool forward;
        bool (*canTakeFocus)(ControlId);
        int next;
    } rows[] = {
        {-1, true, all, AutoConnectCheck},
        {-1, false, all, SendEditor},
        {ClearButton, true, noFontButton, ReceiveView},
        {ConnectButton, true, onlyConnect, ConnectButton},
        {ConnectButton, false, none, -1},
        {-1, true, none, -1},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(NextFocusControl(row.current, row.forward, row.canTakeFocus), row.next)
            << row.current << (row.forward ? " Tab" : " Shift+Tab");
    }
    std::vector<ControlId> asked;
    NextFocusControl(ReceiveView, true, [&](ControlId id) {
        asked.push_back(id);
        return false;
    });
    EXPECT_EQ(asked.size(), std::size_t{ViewSplitter});
    EXPECT_EQ(std::count(asked.begin(), asked.end(), ViewSplitter), 0);
}

TEST(TabOrderRules, ControlHoldingTheFocus) {
    EXPECT_EQ(ControlHoldingFocus([](ControlId id) { return id == SendEditor; }), SendEditor);
    EXPECT_EQ(ControlHoldingFocus([](ControlId) { return false; }), -1);
    EXPECT_EQ(ControlHoldingFocus([](ControlId id) { return id == ViewSplitter; }), -1)
        << "the splitter holds the focus only through a text control";
}

} // namespace
