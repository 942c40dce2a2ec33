#include <QTest>

#include "ui/qt/ViewSplitterWidget.h"
#include "ui/SplitterRules.h"
#include "support/qt/WindowFixture.h"

namespace {

int Upper() {
    return GetSplitterPosition();
}
int Lower(QWidget* sendEditor) {
    return sendEditor->height();
}

} // namespace

TEST(SplitterRules, MinimumsWithTheUpperOneWinning) {
    struct Case {
        int height, wantedLower, upper, lower;
    };
    const Case cases[] = {
        {240, 133, 100, 133}, // room for both
        {240, 5, 213, 20},    // lower minimum
        {240, 230, 50, 183},  // upper minimum
        {76, 10, 50, 19},     // under 77: the lower part gets less than its minimum
        {57, 10, 50, 0},      // 57 or less: nothing left below
        {30, 10, 50, 0},      // never negative
        {3, 0, 50, 0},
    };
    for (const Case& c : cases) {
        const SplitterHeights h = ApplySplitterMinimums(c.height, c.wantedLower, 50, 20);
        EXPECT_EQ(h.upper, c.upper) << c.height << "/" << c.wantedLower;
        EXPECT_EQ(h.lower, c.lower) << c.height << "/" << c.wantedLower;
    }
    EXPECT_EQ(DraggedUpperHeight(-40, 3, 240), 0);
    EXPECT_EQ(DraggedUpperHeight(500, 3, 240), 233);
    EXPECT_EQ(DraggedUpperHeight(103, 3, 240), 100);
}

TEST_F(WindowTest, DraggingTheBarKeepsTheGrabOffsetAndTheMinimums) {
    showAndActivate();
    QWidget* splitter = control(ViewSplitter);
    QWidget* sendEditor = control(SendEditor);
    ASSERT_EQ(Upper(), 100);

    QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(50, 105)); // 5 px into the bar
    QTest::mouseMove(splitter, QPoint(50, 125));
    EXPECT_EQ(Upper(), 120) << "the bar moves with the grab offset";
    EXPECT_EQ(Lower(sendEditor), 240 - 7 - 120);
    QTest::mouseMove(splitter, QPoint(50, 10));
    EXPECT_EQ(Upper(), 50) << "the receive view keeps 50 pixels";
    QTest::mouseMove(splitter, QPoint(50, 400));
    EXPECT_EQ(Lower(sendEditor), 20) << "the send editor keeps 20 pixels";
    EXPECT_EQ(Upper(), 213);
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(50, 400));
    QTest::mouseMove(splitter, QPoint(50, 100));
    EXPECT_EQ(Upper(), 213) << "the drag ended with the release";

    QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(50, 20)); // not on the bar
    QTest::mouseMove(splitter, QPoint(50, 60));
    EXPECT_EQ(Upper(), 213);
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(50, 60));
}

TEST_F(WindowTest, ResizingKeepsTheSendEditorHeightUntilTheViewIsAtItsMinimum) {
    QWidget* sendEditor = control(SendEditor);
    struct Step {
        int clientHeight, upper, lower;
    };
    const Step steps[] = {
        {412, 200, 133},                 // taller: only the receive view grows
        {262, 50, 133},                  // splitter 190: the view reaches 50
        {230, 50, 101},                  // then the send editor shrinks
        {148, 50, 19},                   // splitter 76, under 77
        {129, 50, 0},                    // splitter 57
        {100, 50, 0},    {312, 213, 20}, // growing again: the editor keeps what it had, at least 20
    };
    for (const Step& step : steps) {
        PlaceWindow({kKeepPlacement, kKeepPlacement, 292, step.clientHeight});
        ApplyLayout();
        EXPECT_EQ(Upper(), step.upper) << step.clientHeight;
        EXPECT_EQ(Lower(sendEditor), step.lower) << step.clientHeight;
        EXPECT_EQ(control(ReceiveView)->width(), 288);
    }
}

TEST_F(WindowTest, SettingThePositionAppliesTheMinimums) {
    SetSplitterPosition(10);
    EXPECT_EQ(Upper(), 50);
    SetSplitterPosition(239);
    EXPECT_EQ(Upper(), 213);
    SetSplitterPosition(120);
    EXPECT_EQ(Upper(), 120);
    EXPECT_EQ(control(SendEditor)->y(), 127);
}
