#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include "SettingsFixture.h"
#include "shared/TerminalState.h"

namespace {

// Every value away from its default.
StoredSettings Changed() {
    return {.Port = "COM7",
            .Bauds = "115200",
            .InMode = 2,
            .WinState = 0,
            .Pos = 150,
            .Log = 1,
            .nLog = 1,
            .Transparent = 128,
            .AutoConnect = 1,
            .Name = "DejaVu Sans Mono",
            .Size = 9,
            .Style = Underline | StrikeOut | Bold | Italic,
            .Color = 0xFF8040,
            .x = 130,
            .y = 140,
            .w = 500,
            .h = 400};
}

// Empty texts, the automatic colour, proof quality and a place off every screen.
StoredSettings Unusual() {
    return {.Port = "COM256",
            .Bauds = "",
            .InMode = 0,
            .WinState = 1,
            .Pos = 50,
            .Log = 0,
            .nLog = 1,
            .Transparent = 20,
            .AutoConnect = 0,
            .Name = "",
            .Size = 0,
            .Style = ProofQuality,
            .Color = -1,
            .x = -20,
            .y = 5000,
            .w = 300,
            .h = 200};
}

// Windows-1251 face name and free baud text.
StoredSettings SingleByteText() {
    return {.Port = "COM1",
            .Bauds = "abc 12",
            .InMode = 1,
            .WinState = 1,
            .Pos = 200,
            .Log = 1,
            .nLog = 0,
            .Transparent = 255,
            .AutoConnect = 1,
            .Name = "\xCC\xEE\xED\xEE", // "Моно"
            .Size = 20,
            .Style = Bold,
            .Color = 0x00FF00,
            .x = 0,
            .y = 0,
            .w = 420,
            .h = 304};
}

// A negative size: the font is chosen by its cell height.
StoredSettings CellHeight() {
    StoredSettings values = Changed();
    values.Size = -9;
    return values;
}

} // namespace

TEST_F(SettingsTest, FirstStartWithoutAFileShowsTheDefaults) {
    Start();
    ExpectShown(StoredSettings{});
    EXPECT_EQ(window()->combo(PortCombo)->currentIndex(), -1);
    EXPECT_EQ(window()->spin()->text(), "255");
    EXPECT_EQ(window()->windowOpacity(), 1.0);
    EXPECT_EQ(control(SendEditor)->height(), 133) << "the send editor keeps its creation height";
    EXPECT_EQ(control(ReceiveView)->height(), 92);
    for (ControlId id : {ReceiveView, SendEditor}) {
        EXPECT_EQ(control(id)->font().family(), "Courier");
        EXPECT_EQ(control(id)->font().pixelSize(), 16) << "12 points at 96 dots per inch";
        EXPECT_EQ(control(id)->font().weight(), QFont::Normal);
        EXPECT_TRUE(DrawsTextIn(id, Qt::black));
    }
    EXPECT_FALSE(window()->isVisible());
    EXPECT_FALSE(std::filesystem::exists("Setting.ini")) << "loading writes nothing";
}

TEST_F(SettingsTest, FirstExitWritesExactlyTheNineteenLines) {
    Start();
    EXPECT_EQ(Exit(), "Port = \r\n"
                      "Bauds = 9600\r\n"
                      "InMode = 1\r\n"
                      "WinState = 1\r\n"
                      "Pos = 92\r\n"
                      "Log = 0\r\n"
                      "nLog = 0\r\n"
                      "Transparent = 255\r\n"
                      "AutoConnect = 0\r\n"
                      "[Font]\r\n"
                      "Name = Courier\r\n"
                      "Size = 12\r\n"
                      "Style = 0\r\n"
                      "Color = 0\r\n"
                      "[Window]\r\n"
                      "x = 100\r\n"
                      "y = 100\r\n"
                      "w = 420\r\n"
                      "h = 304\r\n");
    EXPECT_EQ(ListDirectory(dir), std::vector<std::string>{"Setting.ini"})
        << "no temporary file is left beside it";
}

class SettingsRoundTrip : public SettingsTest,
                          public testing::WithParamInterface<StoredSettings> {};

TEST_P(SettingsRoundTrip, EveryValueComesBackAfterARestart) {
    const StoredSettings& values = GetParam();
    StartWith(FileText(values));
    ExpectShown(values);
    for (const WindowEvent& event : TakePendingEvents())
        EXPECT_NE(event.type, EventType::Control) << "applying settings raises no control event";
    // Shown, as at every start: a window that cannot tell where it stands keeps its place.
    ShowMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
    EXPECT_EQ(Exit(), FileText(values));

    Start();
    ExpectShown(values);
    EXPECT_EQ(Exit(), FileText(values));
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsRoundTrip,
                         testing::Values(Changed(), Unusual(), SingleByteText(), CellHeight()));

TEST_F(SettingsTest, ChecksAndCombosChangedByTheUserAreSavedAtExit) {
    Start();
    ShowAndActivate();
    for (ControlId id : {LogCheck, NewDateCheck, AutoConnectCheck})
        QTest::mouseClick(control(id), Qt::LeftButton);
    EXPECT_EQ(terminal.LogFlag, 0) << "the flags follow the boxes in the loop only";
    RunLoopActions();
    EXPECT_EQ(terminal.LogFlag, 1);
    EXPECT_EQ(terminal.NewLogPerConnectionFlag, 1);
    EXPECT_EQ(terminal.AutoConnectFlag, 1);

    QComboBox* port = window()->combo(PortCombo);
    port->setFocus();
    for (int step = 0; step < 3; ++step)
        QTest::keyClick(port, Qt::Key_Down);
    QLineEdit* baud = window()->combo(BaudCombo)->lineEdit();
    baud->setFocus();
    baud->selectAll();
    QTest::keyClicks(baud, "57600");
    RunLoopActions();

    StoredSettings saved{.Port = "COM3", .Bauds = "57600", .Log = 1, .nLog = 1, .AutoConnect = 1};
    EXPECT_EQ(Exit(), FileText(saved));
}

// ---- Hand-edited files ----

namespace {

StoredSettings HandEdited() {
    return {.Port = "COM3",
            .Bauds = "19200",
            .InMode = 0,
            .WinState = 0,
            .Pos = 110,
            .Log = 1,
            .nLog = 0,
            .Transparent = 200,
            .AutoConnect = 1,
            .Name = "Arial",
            .Size = 10,
            .Style = Italic,
            .Color = 255,
            .x = 50,
            .y = 60,
            .w = 400,
            .h = 320};
}

// HandEdited() with comments, blank lines, odd blanks, unknown keys and groups, a duplicate
// and another order.
const char* const kDecorated = "; written by hand\r\n"
                               "\r\n"
                               "  Bauds = 19200\r\n"
                               "Port=COM3\r\n"
                               "Unknown = 7\r\n"
                               "InMode\t=\t0\r\n"
                               "\r\n"
                               ";WinState = 1\r\n"
                               "WinState = 0\r\n"
                               "WinState = 1\r\n"
                               "Pos = 110\r\n"
                               "Log = 1\r\n"
                               "nLog = 0\r\n"
                               "Transparent = 200\r\n"
                               "AutoConnect = 1\r\n"
                               "[Extra]\r\n"
                               "Port = COM9\r\n"
                               "[Font]\r\n"
                               "Color = 255 ; blue\r\n"
                               "Style = 512\r\n"
                               "Size = 10\r\n"
                               "Name =   Arial \t\r\n"
                               "[Window]\r\n"
                               "h=320\r\n"
                               "w\t=\t400\r\n"
                               " \t y = 60\r\n"
                               "x = 50\r\n"
                               "Maximized = 1\r\n"
                               "   \r\n";

const char* const kOtherCase = "pORT = COM3\r\n"
                               "bauds = 19200\r\n"
                               "INMODE = 0\r\n"
                               "winstate = 0\r\n"
                               "POS = 110\r\n"
                               "log = 1\r\n"
                               "NLOG = 0\r\n"
                               "transparent = 200\r\n"
                               "autoConnect = 1\r\n"
                               "[font]\r\n"
                               "NAME = Arial\r\n"
                               "size = 10\r\n"
                               "STYLE = 512\r\n"
                               "color = 255\r\n"
                               "[WINDOW]\r\n"
                               "X = 50\r\n"
                               "Y = 60\r\n"
                               "W = 400\r\n"
                               "H = 320\r\n";

struct HandEditedCase {
    const char* name;
    std::string bytes;
};

} // namespace

TEST_F(SettingsTest, HandEditedFilesReadAlikeAndComeBackInTheWrittenForm) {
    const std::string canonical = FileText(HandEdited());
    const HandEditedCase cases[] = {
        {"LF only", WithLineEnds(canonical, "\n")},
        {"CR only", WithLineEnds(canonical, "\r")},
        {"byte-order mark", "\xEF\xBB\xBF" + canonical},
        {"decorated", kDecorated},
        {"decorated, LF only", WithLineEnds(kDecorated, "\n")},
        {"decorated, byte-order mark", std::string("\xEF\xBB\xBF") + kDecorated},
        {"keys in another case", kOtherCase},
    };
    for (const HandEditedCase& c : cases) {
        SCOPED_TRACE(c.name);
        StartWith(c.bytes);
        ExpectShown(HandEdited());
        EXPECT_EQ(Exit(), canonical);
    }
}

TEST_F(SettingsTest, KeysUnderAnotherGroupAreNotFound) {
    StartWith("Size = 20\r\n"
              "h = 200\r\n"
              "Name = Arial\r\n"
              "[Window]\r\n"
              "Port = COM3\r\n"
              "InMode = 2\r\n"
              "Color = 255\r\n"
              "[Font]\r\n"
              "x = 10\r\n"
              "w = 300\r\n"
              "Transparent = 50\r\n"
              "[ Window ]\r\n"
              "y = 20\r\n");
    ExpectShown(StoredSettings{});
    EXPECT_EQ(Exit(), FileText(StoredSettings{}));
}

// ---- Single values at their edges ----

TEST_F(SettingsTest, PortSelectsTheFirstEntryItBegins) {
    const struct {
        const char* stored;
        const char* selected;
    } cases[] = {
        {"COM1", "COM1"},    {"com2", "COM2"}, {"COM25", "COM25"}, {"COM", "COM1"},
        {" cOm3\t", "COM3"}, {"LPT1", ""},     {"COM257", ""},     {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        StartWith(std::string("Port = ") + c.stored + "\r\n");
        ASSERT_EQ(window()->combo(PortCombo)->count(), 256);
        EXPECT_EQ(GetText(PortCombo), c.selected);
        StoredSettings saved;
        saved.Port = c.selected;
        ExpectShown(saved);
        EXPECT_EQ(Exit(), FileText(saved));
    }
}

TEST_F(SettingsTest, InputModeOutsideTheOptionsIsKept) {
    for (int mode : {5, -1, 3, 0, 2}) {
        SCOPED_TRACE(mode);
        StartWith("InMode = " + std::to_string(mode) + "\r\n");
        EXPECT_EQ(terminal.InputMode, mode);
        const bool none = mode < 0 || mode > 2;
        EXPECT_EQ(!IsChecked(HexOption) && !IsChecked(CharOption) && !IsChecked(BinOption), none);
        RunLoopActions();
        EXPECT_EQ(terminal.InputMode, mode);
        StoredSettings saved;
        saved.InMode = mode;
        EXPECT_EQ(Exit(), FileText(saved));
    }
}

TEST_F(SettingsTest, SplitterPositionOnlyAboveZero) {
    const struct {
        int stored;
        int shown;
    } cases[] = {{0, 92}, {-7, 92}, {-65535, 92}, {120, 120}, {1, 50}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        StartWith("Pos = " + std::to_string(c.stored) + "\r\n");
        StoredSettings saved;
        saved.Pos = c.shown;
        ExpectShown(saved);
        EXPECT_EQ(Exit(), FileText(saved));
    }
}

TEST_F(SettingsTest, FlagsKeepTheirLowestBit) {
    const struct {
        int stored;
        int flag;
    } cases[] = {{3, 1}, {2, 0}, {-1, 1}, {-2, 0}, {1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        const std::string value = std::to_string(c.stored);
        StartWith("Log = " + value + "\r\nnLog = " + value + "\r\nAutoConnect = " + value + "\r\n");
        StoredSettings saved;
        saved.Log = saved.nLog = saved.AutoConnect = c.flag;
        ExpectShown(saved);
        EXPECT_EQ(Exit(), FileText(saved));
    }
}

TEST_F(SettingsTest, FaceNameIsCutToThirtyOneCharacters) {
    const std::string longName = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn"; // 40
    const struct {
        std::string stored;
        std::string kept;
    } cases[] = {
        {longName, longName.substr(0, 31)},
        {longName.substr(0, 32), longName.substr(0, 31)},
        {longName.substr(0, 31), longName.substr(0, 31)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        StartWith("[Font]\r\nName = " + c.stored + "\r\n");
        EXPECT_EQ(terminal.Font.Name, c.kept);
        EXPECT_EQ(control(ReceiveView)->font().family().toStdString(), c.kept);
        StoredSettings saved;
        saved.Name = c.kept;
        EXPECT_EQ(Exit(), FileText(saved));
    }
}

TEST_F(SettingsTest, KeepValueLeavesTheCreationPlaceAndSize) {
    StartWith("[Window]\r\n"
              "x = -65535\r\n"
              "y = 70\r\n"
              "w = -65535\r\n"
              "h = 280\r\n");
    const WindowPlacement placement = GetWindowPlacement();
    EXPECT_EQ(placement.x, 0);
    EXPECT_EQ(placement.y, 70);
    EXPECT_EQ(placement.width, 292);
    EXPECT_EQ(placement.height, 280);
    // The splitter gets 280 - 72; the send editor keeps its 133 below the 7 of the bar.
    EXPECT_EQ(GetSplitterPosition(), 280 - 72 - 7 - 133);
}
