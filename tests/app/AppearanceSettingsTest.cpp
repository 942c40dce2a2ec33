#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include "SettingsFixture.h"
#include "ui/qt/ModalDialogGuard.h"

namespace {

int Opacity(const QWidget* window) {
    return qRound(window->windowOpacity() * 255);
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
    spin->setFocus();
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(spin->value(), 21);
    EXPECT_EQ(Opacity(window()), 10) << "the loop applies it, not the spin box itself";
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

    StoredSettings saved;
    saved.Transparent = 200;
    EXPECT_EQ(Exit(), FileText(saved));
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
