#include <QTest>

#include "support/qt/WindowFixture.h"
#include "ui/qt/ViewSplitterWidget.h"
#include "ui/SplitterRules.h"

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
    ShowAndActivate();
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
