#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "support/qt/WindowFixture.h"
#include "ui/Appearance.h"
#include "ui/qt/ModalDialogGuard.h"
#include "ui/qt/QtText.h"

namespace {

int ticks = 0;

QMessageBox* OpenMessageBox() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            return box;
    }
    return nullptr;
}

} // namespace

TEST_F(WindowTest, MessageBoxLeavesTheTopBandAndKeepsTheTimerTicking) {
    ShowAndActivate();
    ApplyStayOnTop(true);
    ASSERT_TRUE(IsStayingOnTop(window()));
    QWidget bystander; // another top-level window of ours, not in the foreground
    bystander.show();
    QApplication::setActiveWindow(window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window()));

    ticks = 0;
    BindTimerHandler([] { ++ticks; });
    StartTimer(40);

    bool checked = false;
    QTimer::singleShot(300, [&] {
        QMessageBox* box = OpenMessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QString());
        EXPECT_EQ(box->text(), QString::fromUtf16(u"Нет откытого порта"));
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box->parentWidget(), window()) << "owned by the foreground window";
        EXPECT_EQ(box->font(), QApplication::font(box)) << "the desktop's font, not the window's";
        EXPECT_FALSE(IsStayingOnTop(window())) << "out of the top band while the box is open";
        EXPECT_FALSE(bystander.isEnabled());
        EXPECT_GE(ticks, 4) << "the timer keeps ticking inside the box";
        checked = true;
        QTest::keyClick(box, Qt::Key_Return);
    });
    ShowMessage(FromQString(QString::fromUtf16(u"Нет откытого порта")));

    EXPECT_TRUE(checked);
    EXPECT_TRUE(IsStayingOnTop(window())) << "back on top after OK";
    EXPECT_TRUE(bystander.isEnabled());
    EXPECT_TRUE(window()->isVisible());
}

TEST_F(WindowTest, StayOnTopChangesKeepPlaceSizeAndOpacity) {
    ShowAndActivate();
    PlaceWindow({140, 120, 400, 300});
    ApplyWindowOpacity(300); // low 8 bits: 44
    const WindowPlacement before = GetWindowPlacement();
    ApplyStayOnTop(true);
    ApplyStayOnTop(false);
    ApplyStayOnTop(true);
    const WindowPlacement after = GetWindowPlacement();
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(after.y, before.y);
    EXPECT_EQ(after.width, 400);
    EXPECT_EQ(after.height, 300);
    EXPECT_TRUE(window()->isVisible());
    EXPECT_NEAR(window()->windowOpacity(), 44 / 255.0, 1e-3);
}
