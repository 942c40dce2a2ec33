#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

#include "TextViewTestSupport.h"
#include "ui/qt/ReceiveViewWidget.h"
#include "ui/qt/TextFont.h"

namespace {
struct ReceiveViewTest : testing::Test {
    void SetUp() override {
        SetTextFontAndColor(&view, QFont(QStringLiteral("DejaVu Sans Mono"), 10), QColor());
        view.resize(240, 120);
        view.show();
        QApplication::processEvents();
    }

    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&view, &press);
    }

    void mouse(QEvent::Type type, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        const QPointF global = view.viewport()->mapToGlobal(QPointF(at));
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), global, button, held, modifiers);
        QApplication::sendEvent(view.viewport(), &event);
    }

    // The viewport point at the given fraction across the character at column, row.
    QPoint charPoint(int column, int row, double fraction = 0.5) const {
        const double advance = view.model().glyphs().advance['0'] / 64.0;
        const int height = QFontMetrics(view.font()).lineSpacing();
        return {2 + static_cast<int>((column + fraction) * advance), row * height + height / 2};
    }

    bool followsTheEnd() const {
        const QScrollBar* bar = view.verticalScrollBar();
        return bar->value() == bar->maximum() &&
               view.model().selection().caret == view.model().size();
    }

    ReceiveViewWidget view;
};
} // namespace

TEST_F(ReceiveViewTest, KeepsEveryAppendedByte) {
    view.appendText("41 42 ");
    view.appendText("abc\r\n\x01\xC0");
    EXPECT_EQ(view.text(), "41 42 abc\r\n\x01\xC0");
}

TEST_F(ReceiveViewTest, FollowsTheEndAfterEachAppend) {
    for (int i = 0; i < 200; ++i) {
        view.appendText(HexText(7));
        QApplication::processEvents();
        EXPECT_TRUE(followsTheEnd()) << i;
    }
    EXPECT_GT(view.verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(view.verticalScrollBar()->isVisible());
}

TEST_F(ReceiveViewTest, AppendMovesAUserSelectionToTheEnd) {
    view.appendText("hello world");
    view.selectAll();
    view.verticalScrollBar()->setValue(0);
    view.appendText("!");
    EXPECT_EQ(view.model().selectedText(), "");
    EXPECT_TRUE(followsTheEnd());
}

TEST_F(ReceiveViewTest, ScrollBarOnlyWhenTheTextIsTallerThanTheView) {
    view.appendText("short");
    QApplication::processEvents();
    EXPECT_FALSE(view.verticalScrollBar()->isVisible());
    view.appendText(HexText(2000));
    QApplication::processEvents();
    EXPECT_TRUE(view.verticalScrollBar()->isVisible());
}

TEST_F(ReceiveViewTest, ClearEmptiesAndAppendingGoesOn) {
    const int filesBefore = UnnamedFilesOpen();
    view.appendText(HexText(2000));
    view.appendText(HexText(30000)); // a full block, which goes to an unnamed file
    EXPECT_EQ(UnnamedFilesOpen(), filesBefore + 1);
    view.clear();
    EXPECT_EQ(UnnamedFilesOpen(), filesBefore); // its space is given back at once
    QApplication::processEvents();
    EXPECT_EQ(view.text(), "");
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
    view.appendText("41 ");
    EXPECT_EQ(view.text(), "41 ");
    EXPECT_TRUE(followsTheEnd());
}

TEST_F(ReceiveViewTest, CtrlCPutsTheSelectedTextOnTheClipboard) {
    view.appendText("abc \xCF\xF0\xE8\xE2\xE5\xF2\r\nxyz"); // "Привет"
    key(Qt::Key_A, Qt::ControlModifier);
    QApplication::clipboard()->clear();
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("abc Привет\r\nxyz"));
}

TEST_F(ReceiveViewTest, CopiesUpTo64MiBWholeAndALargerSelectionNotAtAll) {
    const std::string mebibyte = HexText(1 << 20).substr(0, 1 << 20);
    while (view.model().size() < ReceiveViewWidget::kMaxCopyBytes)
        view.appendText(mebibyte);
    ASSERT_EQ(view.model().size(), ReceiveViewWidget::kMaxCopyBytes);
    view.selectAll();
    key(Qt::Key_C, Qt::ControlModifier);
    const QString copied = QApplication::clipboard()->text();
    EXPECT_EQ(static_cast<std::uint64_t>(copied.size()), ReceiveViewWidget::kMaxCopyBytes);
    EXPECT_TRUE(copied.endsWith(QString::fromLatin1(mebibyte.substr(mebibyte.size() - 9))));
    // One byte more is not copied, nor cut short: the clipboard keeps what it had.
    view.appendText("A");
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    view.selectAll();
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
}

TEST_F(ReceiveViewTest, CtrlInsertCopiesToo) {
    view.appendText("one two");
    key(Qt::Key_Left, Qt::ShiftModifier);
    key(Qt::Key_Left, Qt::ShiftModifier);
    key(Qt::Key_Left, Qt::ShiftModifier);
    QApplication::clipboard()->clear();
    key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("two"));
}

TEST_F(ReceiveViewTest, KeyboardSelection) {
    view.appendText("first line\nsecond");
    key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(view.model().selectedText(), "line\nsecond");
    key(Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(view.model().selectedText(), "first line\nsecond");
    key(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(view.model().selectedText(), "");
    key(Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(view.model().selectedText(), "second");
    key(Qt::Key_Right);
    EXPECT_EQ(view.model().selectedText(), "");
}

TEST_F(ReceiveViewTest, MouseDragShiftClickAndDoubleClick) {
    view.appendText("alpha beta gamma");
    mouse(QEvent::MouseButtonPress, charPoint(0, 0));
    mouse(QEvent::MouseMove, charPoint(4, 0, 0.9));
    mouse(QEvent::MouseButtonRelease, charPoint(4, 0, 0.9));
    EXPECT_EQ(view.model().selectedText(), "alpha");
    mouse(QEvent::MouseButtonPress, charPoint(9, 0, 0.9), Qt::ShiftModifier);
    mouse(QEvent::MouseButtonRelease, charPoint(9, 0, 0.9), Qt::ShiftModifier);
    EXPECT_EQ(view.model().selectedText(), "alpha beta");
    mouse(QEvent::MouseButtonDblClick, charPoint(13, 0));
    EXPECT_EQ(view.model().selectedText(), "gamma");
}

TEST_F(ReceiveViewTest, FontChangeRewraps) {
    view.appendText(HexText(100));
    const std::uint64_t rows = view.model().rowCount();
    SetTextFontAndColor(&view, QFont(QStringLiteral("DejaVu Sans Mono"), 20), QColor(Qt::red));
    QApplication::processEvents();
    EXPECT_GT(view.model().rowCount(), rows);
    EXPECT_TRUE(followsTheEnd());
    for (std::uint64_t row = 0; row < view.model().rowCount(); ++row) {
        const RowSpan span = view.model().row(row);
        const std::string bytes = view.model().text(span.begin, span.end);
        const auto shown = bytes.back() == ' ' ? bytes.size() - 1 : bytes.size();
        EXPECT_LE(static_cast<std::int64_t>(shown) * view.model().glyphs().advance['0'],
                  view.model().width());
    }
}

TEST_F(ReceiveViewTest, AResizeAwayFromTheEndKeepsTheTextOnScreenThroughTheRewrap) {
    view.appendText(HexText(400000)); // enough for a re-wrap in slices
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    const std::uint64_t topText = view.model().row(bar->value()).begin;
    const auto showsTopText = [&] {
        const RowSpan top = view.model().row(bar->value());
        return top.begin <= topText && topText < top.end;
    };
    view.resize(view.width() + 57, view.height());
    ASSERT_TRUE(view.model().rewrapping());
    EXPECT_TRUE(showsTopText()); // laid out at once
    while (view.model().rewrapping()) {
        QApplication::processEvents();
        ASSERT_TRUE(showsTopText());
    }
    EXPECT_TRUE(showsTopText());
    EXPECT_LT(bar->value(), bar->maximum());
}

TEST_F(ReceiveViewTest, TextAfterAFontChangeOnAnEmptyViewIsMeasuredInTheNewFont) {
    view.appendText("0");
    const std::int32_t small = view.model().glyphs().advance['0'];
    view.clear();
    SetTextFontAndColor(&view, QFont(QStringLiteral("DejaVu Sans Mono"), 20), QColor());
    view.appendText("0");
    EXPECT_GT(view.model().glyphs().advance['0'], small);
}

TEST_F(ReceiveViewTest, SelectionStaysVisibleWithoutFocus) {
    view.appendText("selected text");
    view.selectAll();
    view.clearFocus();
    QApplication::processEvents();
    const QImage image = view.viewport()->grab().toImage();
    const QRgb highlight = view.palette().color(QPalette::Active, QPalette::Highlight).rgb();
    EXPECT_EQ(image.pixel(charPoint(8, 0)) & 0xFFFFFF, highlight & 0xFFFFFF); // the blank
}

TEST_F(ReceiveViewTest, TextColourAndAutomaticColour) {
    const auto countRed = [this] {
        const QImage image = view.viewport()->grab().toImage();
        int red = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                red += c.red() > 200 && c.green() < 80 && c.blue() < 80;
            }
        return red;
    };
    view.appendText("WWWW MMMM");
    SetTextFontAndColor(&view, view.font(), QColor(Qt::red));
    EXPECT_GT(countRed(), 10);
    SetTextFontAndColor(&view, view.font(), QColor());
    EXPECT_EQ(countRed(), 0);
}

TEST_F(ReceiveViewTest, TakesTabFocusLikeATextControl) {
    EXPECT_TRUE(view.focusPolicy() & Qt::TabFocus);
}

TEST_F(ReceiveViewTest, ContextMenuHasRussianLabels) {
    view.appendText("abc");
    QStringList labels;
    QList<bool> enabled;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            labels << action->text();
            enabled << action->isEnabled();
        }
        menu->close();
    });
    QTimer::singleShot(5000, [] { // never hang on a menu left open
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), view.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(view.viewport(), &event);
    EXPECT_EQ(labels, (QStringList{QStringLiteral("Копировать"), QStringLiteral("Выделить всё")}));
    EXPECT_EQ(enabled, (QList<bool>{false, true})); // nothing selected to copy
}
