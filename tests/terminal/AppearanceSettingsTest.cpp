#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QStyleOptionSpinBox>
#include <QTest>

#include "app/EventLoop.h"
#include "SettingsFixture.h"
#include "ui/qt/ModalDialogGuard.h"

namespace {

int Opacity(const QWidget* window) {
    return qRound(window->windowOpacity() * 255);
}

QRect ArrowRect(QSpinBox* spin, QStyle::SubControl arrow) {
    QStyleOptionSpinBox option;
    option.initFrom(spin);
    option.rect = spin->rect();
    return spin->style()->subControlRect(QStyle::CC_SpinBox, &option, arrow, spin);
}

constexpr int kChange = 1;
constexpr int kUpDown = 2;

// The kinds of the spin box's events raised since the last call, each run through the loop.
int TakeSpinEvents() {
    QApplication::processEvents();
    int kinds = 0;
    for (const WindowEvent& event : TakePendingEvents()) {
        if (event.type == EventType::Control && event.control == TransparencySpin)
            kinds |= event.kind == ControlEventKind::Change   ? kChange
                     : event.kind == ControlEventKind::UpDown ? kUpDown
                                                              : 4;
        RunLoopAction(event);
    }
    return kinds;
}

} // namespace

TEST_F(SettingsTest, TransparentKeepsItsLowEightBitsUntilTheUserTouchesTheSpin) {
    const struct {
        int stored;
        int opacity;
        int shown; // by the spin box, and written at exit
    } cases[] = {
        {300, 44, 44},  {256, 0, 20}, {511, 255, 255}, {10, 10, 20},
        {-1, 255, 255}, {20, 20, 20}, {19, 19, 20},    {-256, 0, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        StartWith("Transparent = " + std::to_string(c.stored) + "\r\n");
        EXPECT_EQ(Opacity(window()), c.opacity);
        EXPECT_EQ(GetSpinValue(TransparencySpin), c.shown);
        EXPECT_EQ(window()->spin()->text(), QString::number(c.shown));

        ShowAndActivate(); // window events pass through the loop
        EXPECT_EQ(Opacity(window()), c.opacity) << "kept as read while the spin is untouched";

        StoredSettings saved;
        saved.Transparent = c.shown;
        EXPECT_EQ(Exit(), FileText(saved));
    }
}

TEST_F(SettingsTest, SteppingOrTypingTheSpinAppliesTheOpacityAtOnce) {
    StartWith("Transparent = 10\r\n");
    ShowAndActivate();
    QSpinBox* spin = window()->spin();
    // An arrow at its limit moves nothing, yet it applies the value shown.
    QTest::mouseClick(spin, Qt::LeftButton, {}, ArrowRect(spin, QStyle::SC_SpinBoxDown).center());
    EXPECT_EQ(spin->value(), 20);
    EXPECT_EQ(Opacity(window()), 10) << "the loop applies it, not the spin box itself";
    RunLoopActions();
    EXPECT_EQ(Opacity(window()), 20);

    spin->setFocus();
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(spin->value(), 21);
    RunLoopActions();
    EXPECT_EQ(Opacity(window()), 21);

    QTest::keyClick(spin, Qt::Key_Down);
    RunLoopActions();
    EXPECT_EQ(Opacity(window()), 20);

    QLineEdit* field = spin->findChild<QLineEdit*>();
    field->selectAll();
    QTest::keyClicks(field, "200");
    RunLoopActions();
    EXPECT_EQ(Opacity(window()), 200);
    EXPECT_EQ(GetSpinValue(TransparencySpin), 200);

    // Every edit of the text is a change. The field takes digits only; from 20 up they are the
    // value, any number above 255 turning into 255 at once; shorter text leaves the value as it
    // was.
    const struct {
        const char* typed; // over the whole text; empty: Backspace
        const char* shown;
        int value;
        bool change;
    } edits[] = {
        {"300", "255", 255, true},         {"19", "19", 255, true},  {"", "", 255, true},
        {"abc", "", 255, false},           {"042", "042", 42, true}, {"7x", "7", 42, true},
        {"99999999999", "255", 255, true},
    };
    for (const auto& edit : edits) {
        SCOPED_TRACE(edit.typed);
        field->selectAll();
        if (*edit.typed)
            QTest::keyClicks(field, edit.typed);
        else
            QTest::keyClick(field, Qt::Key_Backspace);
        EXPECT_EQ(TakeSpinEvents(), edit.change ? kChange : 0);
        EXPECT_EQ(spin->text(), edit.shown);
        EXPECT_EQ(GetSpinValue(TransparencySpin), edit.value);
        EXPECT_EQ(Opacity(window()), edit.value);
    }

    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(TakeSpinEvents(), kUpDown) << "an arrow at the limit still counts";
    EXPECT_EQ(spin->text(), "255");

    field->selectAll();
    QTest::keyClicks(field, "5");
    EXPECT_EQ(TakeSpinEvents(), kChange);
    control(ClearButton)->setFocus();
    EXPECT_EQ(TakeSpinEvents(), 0) << "focus changes are no events";
    EXPECT_EQ(spin->text(), "255") << "the field shows the value in use again";

    spin->setFocus();
    field->selectAll();
    QTest::keyClicks(field, "300");
    EXPECT_EQ(TakeSpinEvents(), kChange);
    EXPECT_EQ(Opacity(window()), 255);
    StoredSettings saved;
    saved.Transparent = 255;
    EXPECT_EQ(spin->text(), "255");
    EXPECT_EQ(Exit(), FileText(saved)) << "more than 255 typed shows and saves 255";
}

TEST_F(SettingsTest, WinStateKeepsItsLowestBit) {
    const struct {
        int stored;
        bool onTop;
    } cases[] = {{0, false}, {1, true}, {2, false}, {3, true}, {-1, true}, {-2, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        StartWith("WinState = " + std::to_string(c.stored) + "\r\n");
        EXPECT_EQ(IsStayingOnTop(window()), c.onTop);
        EXPECT_EQ(IsChecked(OnTopCheck), c.onTop);
        StoredSettings saved;
        saved.WinState = c.onTop;
        EXPECT_EQ(Exit(), FileText(saved));
    }
}

TEST_F(SettingsTest, OnTopCheckMovesTheWindowAtOnceAndTheFileAtExit) {
    const std::string before = FileText(StoredSettings{});
    StartWith(before);
    ShowAndActivate();
    const WindowPlacement shown = GetWindowPlacement();
    ASSERT_TRUE(IsStayingOnTop(window()));

    auto* check = static_cast<QCheckBox*>(control(OnTopCheck));
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_FALSE(check->isChecked());
    EXPECT_TRUE(IsStayingOnTop(window())) << "the loop moves the window, not the click";
    RunLoopActions();
    EXPECT_FALSE(IsStayingOnTop(window()));
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(GetWindowPlacement().x, shown.x);
    EXPECT_EQ(GetWindowPlacement().y, shown.y);
    EXPECT_EQ(GetWindowPlacement().width, shown.width);
    EXPECT_EQ(GetWindowPlacement().height, shown.height);

    QTest::mouseClick(check, Qt::LeftButton);
    RunLoopActions();
    EXPECT_TRUE(IsStayingOnTop(window()));
    QTest::mouseClick(check, Qt::LeftButton);
    RunLoopActions();
    EXPECT_FALSE(IsStayingOnTop(window()));
    EXPECT_EQ(SettingsFileBytes(), before) << "the file changes only at exit";

    StoredSettings saved;
    saved.WinState = 0;
    EXPECT_EQ(Exit(), FileText(saved));
}
