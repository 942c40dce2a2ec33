#include <gtest/gtest.h>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QScrollBar>
#include <QtGui/private/qguiapplication_p.h>
#include <QTimer>

#include "TextViewTestSupport.h"
#include "ui/qt/ReceiveViewWidget.h"
#include "ui/qt/TextFont.h"
#include "ui/textview/TextUnits.h"

namespace {
// What an assistive client hears of the view: each text event's type, caret and text.
struct HeardEvent {
    QAccessible::Event type;
    int caret;
    QString text;
    bool operator==(const HeardEvent&) const = default;
};
std::vector<HeardEvent> heard;

void Hear(QAccessibleEvent* event) {
    const QAccessible::Event type = event->type();
    QString text;
    if (type == QAccessible::TextInserted)
        text = static_cast<QAccessibleTextInsertEvent*>(event)->textInserted();
    else if (type == QAccessible::TextRemoved)
        text = static_cast<QAccessibleTextRemoveEvent*>(event)->textRemoved();
    else if (type != QAccessible::TextCaretMoved && type != QAccessible::TextSelectionChanged)
        return;
    heard.push_back(
        {type, static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition(), text});
}

// Accessibility on or off, as the platform switches it when a client comes or goes.
void SetClientListening(bool listening) {
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(listening);
    QAccessible::installUpdateHandler(listening ? Hear : nullptr);
    heard.clear();
}

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
    key(Qt::Key_Right, Qt::ControlModifier); // from inside the last word to the end
    EXPECT_EQ(view.model().selection().caret, view.model().size());
    key(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(view.model().selectedText(), "second");
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

TEST_F(ReceiveViewTest, AssistiveClientsReadTheTextAsShownByCharacterWordRowAndParagraph) {
    view.appendText("hello  world, 41\r\nline two\n\xCF\xF0\xE8\xE2\xE5\xF2 \xA8\r\n" +
                    HexText(20));
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(&view);
    QAccessibleTextInterface* text = access->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(access->role(), QAccessible::Terminal);
    EXPECT_TRUE(access->state().readOnly && access->state().multiLine);
    EXPECT_EQ(text->characterCount(), 97);
    EXPECT_EQ(text->text(0, 37), QStringLiteral("hello  world, 41\r\nline two\nПривет Ё\r\n"));
    const RowSpan row = view.model().row(view.model().rowAt(80)); // the paragraph wraps
    ASSERT_GT(row.begin, 37u);
    enum Where { At, Before, After };
    const struct {
        int offset;
        QAccessible::TextBoundaryType unit;
        Where where;
        QString text;
        int start, end;
    } rows[] = {
        {3, QAccessible::WordBoundary, At, QStringLiteral("hello  "), 0, 7},
        {3, QAccessible::WordBoundary, After, QStringLiteral("world"), 7, 12},
        {13, QAccessible::WordBoundary, At, QStringLiteral(", "), 12, 14},
        {7, QAccessible::WordBoundary, Before, QStringLiteral("hello  "), 0, 7},
        {17, QAccessible::WordBoundary, At, QStringLiteral("\r\n"), 16, 18},
        {29, QAccessible::WordBoundary, At, QStringLiteral("Привет "), 27, 34},
        {26, QAccessible::WordBoundary, At, QStringLiteral("\n"), 26, 27},
        {97, QAccessible::WordBoundary, At, QString(), 97, 97},
        {97, QAccessible::CharBoundary, Before, QStringLiteral(" "), 96, 97},
        {20, QAccessible::LineBoundary, At, QStringLiteral("line two\n"), 18, 27},
        {20, QAccessible::LineBoundary, Before, QStringLiteral("hello  world, 41\r\n"), 0, 18},
        {0, QAccessible::LineBoundary, Before, QString(), -1, -1},
        {80, QAccessible::LineBoundary, At, QString::fromLatin1(view.model().text(row.begin, 97)),
         int(row.begin), 97},
        {36, QAccessible::SentenceBoundary, At, QStringLiteral("Привет Ё\r\n"), 27, 37},
        {40, QAccessible::ParagraphBoundary, At, QString::fromLatin1(HexText(20)), 37, 97},
        {90, QAccessible::ParagraphBoundary, After, QString(), -1, -1},
        {98, QAccessible::CharBoundary, At, QString(), -1, -1},
    };
    for (const auto& row : rows) {
        int start = 0;
        int end = 0;
        const QString found =
            row.where == At       ? text->textAtOffset(row.offset, row.unit, &start, &end)
            : row.where == Before ? text->textBeforeOffset(row.offset, row.unit, &start, &end)
                                  : text->textAfterOffset(row.offset, row.unit, &start, &end);
        EXPECT_EQ(std::tuple(found, start, end), std::tuple(row.text, row.start, row.end))
            << row.offset << " " << row.unit << " " << row.where;
    }
    // Caret and selection, set by the client.
    EXPECT_EQ(text->cursorPosition(), 97);
    text->setSelection(0, 7, 12);
    EXPECT_EQ(view.model().selectedText(), "world");
    int start = 0;
    int end = 0;
    text->selection(0, &start, &end);
    EXPECT_EQ(std::tuple(text->selectionCount(), start, end), std::tuple(1, 7, 12));
    text->setCursorPosition(2);
    EXPECT_EQ(std::pair(view.model().selection().caret, text->selectionCount()), std::pair(2ul, 0));
    const QPoint fifth = view.viewport()->mapToGlobal(charPoint(5, 0));
    EXPECT_EQ(text->offsetAtPoint(fifth), 5);
    EXPECT_EQ(text->characterRect(5).center(), fifth);
}

// A client asking for all of a long text gets one answer's length of it, and for the box of a
// character off screen none.
TEST_F(ReceiveViewTest, NoAnswerToAClientIsLongerThanItsBound) {
    const std::string text = HexText(kMaxAnswerBytes / 3 + 100);
    view.appendText(text);
    QAccessibleTextInterface* access =
        QAccessible::queryAccessibleInterface(&view)->textInterface();
    EXPECT_EQ(access->characterCount(), int(text.size()));
    EXPECT_EQ(access->text(0, -1), QString::fromLatin1(text.substr(0, kMaxAnswerBytes)));
    EXPECT_EQ(access->characterRect(0), QRect());
    EXPECT_FALSE(access->characterRect(int(text.size()) - 1).isNull());
}

TEST_F(ReceiveViewTest, AssistiveClientsHearEachAppendClearAndTheUsersOwnMoves) {
    using E = HeardEvent;
    SetClientListening(true);
    view.appendText("abc");
    view.appendText("d\xC0");
    view.appendText("");
    key(Qt::Key_Left);
    key(Qt::Key_Left, Qt::ShiftModifier);
    mouse(QEvent::MouseButtonPress, charPoint(1, 0));
    view.appendText("e");
    view.clear();
    view.clear();
    EXPECT_EQ(heard, (std::vector<E>{{QAccessible::TextInserted, 3, QStringLiteral("abc")},
                                     {QAccessible::TextInserted, 5, QStringLiteral("dА")},
                                     {QAccessible::TextCaretMoved, 4, {}},
                                     {QAccessible::TextSelectionChanged, 3, {}},
                                     {QAccessible::TextCaretMoved, 3, {}},
                                     {QAccessible::TextSelectionChanged, 1, {}},
                                     {QAccessible::TextCaretMoved, 1, {}},
                                     {QAccessible::TextInserted, 6, QStringLiteral("e")},
                                     {QAccessible::TextRemoved, 0, QString()},
                                     {QAccessible::TextCaretMoved, 0, {}}}));
    SetClientListening(false);
}

// Without a client an append makes no accessible object, which raising an event would make.
// (Qt makes one when the view is shown; it is dropped here.)
TEST_F(ReceiveViewTest, WithoutAClientNothingAccessibleIsMade) {
    static int made = 0;
    const QAccessible::InterfaceFactory count = [](const QString&, QObject* object) {
        made += qobject_cast<ReceiveViewWidget*>(object) != nullptr;
        return static_cast<QAccessibleInterface*>(nullptr);
    };
    QAccessible::deleteAccessibleInterface(
        QAccessible::uniqueId(QAccessible::queryAccessibleInterface(&view)));
    QAccessible::installFactory(count);
    view.appendText("unheard");
    key(Qt::Key_Left, Qt::ShiftModifier);
    view.clear();
    EXPECT_EQ(made, 0);
    QAccessible::queryAccessibleInterface(&view);
    EXPECT_EQ(made, 1);
    QAccessible::removeFactory(count);
}
