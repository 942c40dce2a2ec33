#include "ui/qt/ReceiveViewWidget.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include "shared/Cp1251.h"
#include "ui/qt/QtText.h"
#include "ui/qt/ReceiveViewAccessible.h"
#include "ui/qt/ReceiveViewGlyphs.h"
#include "ui/qt/TextColours.h"
#include "ui/textview/posix/TempBlockFile.h"
#include "ui/textview/RowMeasure.h"
#include "ui/textview/ScrollSteps.h"

namespace {
// Space between the frame and the text, in pixels.
constexpr int kMargin = 2;
// A re-wrap slice stays well under the time in which input must be answered.
constexpr std::chrono::milliseconds kRewrapSlice{8};

int ClampToInt(std::uint64_t value) {
    return static_cast<int>(std::min<std::uint64_t>(value, INT_MAX));
}
} // namespace

// The text beyond the blocks at hand lives in an unnamed file in the program's directory, which
// start-up has made the current one.
ReceiveViewWidget::ReceiveViewWidget(QWidget* parent)
    : QAbstractScrollArea(parent),
      model_(TextViewModel::kDefaultBlockShift, std::make_unique<TempBlockFile>(".")) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(1);
    rewrapTimer_.setInterval(0);
    connect(&rewrapTimer_, &QTimer::timeout, this, &ReceiveViewWidget::continueRewrap);
    InstallReceiveViewAccessibility();
    applyFont();
    applyWidth();
}

void ReceiveViewWidget::appendText(const std::string& cp1251) {
    if (!glyphsMeasured_)
        measureGlyphs(scrollAnchor());
    model_.append(cp1251);
    scrollToRow(lastTopRow());
    viewport()->update();
    NotifyTextAppended(this, cp1251);
}

void ReceiveViewWidget::clear() {
    const bool hadText = model_.size() > 0;
    model_.clear();
    rewrapTimer_.stop();
    scrollToRow(0);
    viewport()->update();
    if (hadText)
        NotifyTextCleared(this);
}

std::string ReceiveViewWidget::text() const {
    return model_.text(0, model_.size());
}

void ReceiveViewWidget::selectAll() {
    selectByUser(0, model_.size());
}

void ReceiveViewWidget::select(std::uint64_t anchor, std::uint64_t caret) {
    selectByUser(anchor, caret);
    showPosition(caret);
}

void ReceiveViewWidget::showPosition(std::uint64_t pos) {
    ensureVisible(pos);
    viewport()->update();
}

QRect ReceiveViewWidget::byteRect(std::uint64_t pos) const {
    pos = std::min(pos, model_.size());
    const RowSpan shown = shownText();
    if (pos < shown.begin || pos > shown.end || (pos == shown.end && pos < model_.size()))
        return {};
    const auto rows = static_cast<std::int64_t>(model_.rowAt(pos)) - std::int64_t(topRow());
    const std::int64_t y = std::clamp<std::int64_t>(rows * rowHeight_, INT_MIN / 2, INT_MAX / 2);
    const std::int64_t x = model_.xOf(pos);
    const auto b = static_cast<unsigned char>(pos < model_.size() ? model_.bytes()[pos] : ' ');
    const std::int64_t width = AdvanceAt(model_.glyphs(), b, x);
    return {kMargin + static_cast<int>(x / kUnitsPerPixel), static_cast<int>(y),
            std::max(1, static_cast<int>(width / kUnitsPerPixel)), rowHeight_};
}

std::uint64_t ReceiveViewWidget::byteAt(const QPoint& point) const {
    return model_.byteAt(rowAtY(point.y()), unitsAtX(point.x()));
}

void ReceiveViewWidget::copy() const {
    const TextSelection& selection = model_.selection();
    if (!selection.empty() && selection.end() - selection.begin() <= kMaxCopyBytes)
        QApplication::clipboard()->setText(ToQString(model_.selectedText()));
}

// ---- Layout ----

void ReceiveViewWidget::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyFont();
}

void ReceiveViewWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    applyWidth();
}

void ReceiveViewWidget::applyFont() {
    const ScrollAnchor anchor = scrollAnchor();
    drawingFont_ = ViewDrawingFont(font());
    const QFontMetricsF metrics(drawingFont_);
    rowHeight_ = std::max(1, static_cast<int>(std::ceil(metrics.lineSpacing())));
    ascent_ = static_cast<int>(std::ceil(metrics.ascent()));
    // Measuring all the glyphs takes a while and an empty view needs none of them; start-up
    // sets the text font before any text comes.
    glyphsMeasured_ = false;
    if (model_.size() > 0)
        measureGlyphs(anchor);
}

void ReceiveViewWidget::measureGlyphs(const ScrollAnchor& anchor) {
    model_.setGlyphs(MeasureGlyphs(drawingFont_), anchor.shownFrom());
    glyphsMeasured_ = true;
    restoreScroll(anchor);
    viewport()->update();
}

void ReceiveViewWidget::applyWidth() {
    const int pixels = std::max(1, viewport()->width() - 2 * kMargin);
    const ScrollAnchor anchor = scrollAnchor();
    model_.setWidth(std::int64_t{pixels} * kUnitsPerPixel, anchor.shownFrom());
    restoreScroll(anchor);
    viewport()->update();
}

// A slice that found its text still on the way from the disk changed nothing. Mostly a slice
// changes only the rows above the screen: the rows on screen then span the same text as
// before, and only the scroll bar needs drawing again.
void ReceiveViewWidget::continueRewrap() {
    const ScrollAnchor anchor = scrollAnchor();
    const std::uint64_t rows = model_.rowCount();
    const RowSpan shown = shownText();
    const bool done = model_.continueRewrap(kRewrapSlice);
    shown_.reset();
    if (!done && model_.rowCount() == rows)
        return;
    restoreScroll(anchor);
    const RowSpan nowShown = shownText();
    if (done || nowShown.begin != shown.begin || nowShown.end != shown.end)
        viewport()->update();
}

RowSpan ReceiveViewWidget::shownText() const {
    if (!shown_) {
        const std::uint64_t last = std::min(model_.rowCount(), topRow() + visibleRows() + 1) - 1;
        shown_ = RowSpan{model_.row(topRow()).begin, model_.row(last).end};
    }
    return *shown_;
}

ReceiveViewWidget::ScrollAnchor ReceiveViewWidget::scrollAnchor() const {
    return {atEnd_, model_.row(topRow()).begin};
}

// After a re-wrap step: the view stays at the end, or keeps the text that was at its top there.
void ReceiveViewWidget::restoreScroll(const ScrollAnchor& anchor) {
    if (model_.rewrapping())
        rewrapTimer_.start();
    else
        rewrapTimer_.stop();
    if (anchor.atEnd)
        scrollToRow(lastTopRow());
    else
        scrollToRow(model_.rowAt(anchor.topPosition));
}

std::uint64_t ReceiveViewWidget::lastTopRow() const {
    const std::uint64_t rows = model_.rowCount();
    const std::uint64_t visible = visibleRows();
    return rows > visible ? rows - visible : 0;
}

// The top row is kept here; the scroll bar shows it in its own steps, and only the user's
// moves of the bar come back to set it.
void ReceiveViewWidget::scrollToRow(std::uint64_t row) {
    const std::uint64_t last = lastTopRow();
    topRow_ = std::min(row, last);
    atEnd_ = topRow_ == last;
    shown_.reset();
    QScrollBar* bar = verticalScrollBar();
    settingScrollBar_ = true;
    bar->setRange(0, ScrollStepCount(last));
    bar->setPageStep(ClampToInt(visibleRows()));
    bar->setValue(ScrollStepOfRow(topRow_, last));
    settingScrollBar_ = false;
}

void ReceiveViewWidget::ensureVisible(std::uint64_t pos) {
    const std::uint64_t row = model_.rowAt(pos);
    const std::uint64_t top = topRow();
    if (row < top)
        scrollToRow(row);
    else if (row >= top + visibleRows())
        scrollToRow(row + 1 - visibleRows());
}

std::uint64_t ReceiveViewWidget::topRow() const {
    return std::min(topRow_, model_.rowCount() - 1);
}

std::uint64_t ReceiveViewWidget::visibleRows() const {
    return static_cast<std::uint64_t>(std::max(1, viewport()->height() / rowHeight_));
}

std::uint64_t ReceiveViewWidget::rowAtY(int y) const {
    const auto offset = static_cast<std::int64_t>(std::floor(static_cast<double>(y) / rowHeight_));
    const auto row = static_cast<std::int64_t>(topRow()) + offset;
    const auto last = static_cast<std::int64_t>(model_.rowCount() - 1);
    return static_cast<std::uint64_t>(std::clamp<std::int64_t>(row, 0, last));
}

std::int64_t ReceiveViewWidget::unitsAtX(int x) const {
    return std::int64_t{x - kMargin} * kUnitsPerPixel;
}

std::uint64_t ReceiveViewWidget::positionAt(const QPoint& point) const {
    return model_.positionAt(rowAtY(point.y()), unitsAtX(point.x()));
}

void ReceiveViewWidget::scrollContentsBy(int, int) {
    if (settingScrollBar_)
        return;
    const std::uint64_t last = lastTopRow();
    topRow_ = RowOfScrollStep(verticalScrollBar()->value(), last);
    atEnd_ = topRow_ == last;
    shown_.reset();
    viewport()->update();
}

// ---- Painting ----

void ReceiveViewWidget::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QPalette& colours = palette();
    painter.fillRect(viewport()->rect(), colours.color(QPalette::Base));
    painter.setFont(drawingFont_);
    const QColor text = colours.color(QPalette::Text);
    const std::uint64_t top = topRow();
    const std::uint64_t end = std::min(model_.rowCount(), top + visibleRows() + 1);
    for (std::uint64_t row = top; row < end; ++row)
        paintRow(painter, row, static_cast<int>(row - top) * rowHeight_, text);
    if (hasFocus() && model_.selection().empty())
        paintCaret(painter);
}

void ReceiveViewWidget::paintRow(QPainter& painter, std::uint64_t row, int top,
                                 const QColor& text) const {
    const TextStore& bytes = model_.bytes();
    const GlyphAdvances& glyphs = model_.glyphs();
    const RowSpan span = model_.row(row);
    const std::uint64_t contentEnd = model_.rowContentEnd(row);
    // The active colours keep the selection visible while the view has no focus.
    const TextSelection& selection = model_.selection();
    const QPalette& colours = palette();
    const std::uint64_t selBegin = std::max(selection.begin(), span.begin);
    const std::uint64_t selEnd = std::min(selection.end(), span.end);
    if (selBegin < selEnd) {
        const std::int64_t left =
            XOfPosition(bytes, glyphs, span.begin, std::min(selBegin, contentEnd));
        std::int64_t right = XOfPosition(bytes, glyphs, span.begin, std::min(selEnd, contentEnd));
        if (selEnd > contentEnd && contentEnd < span.end)
            right += glyphs.advance[' ']; // the selected line break
        painter.fillRect(QRectF(kMargin + double(left) / kUnitsPerPixel, top,
                                double(right - left) / kUnitsPerPixel, rowHeight_),
                         colours.color(QPalette::Active, QPalette::Highlight));
    }
    const QColor selectedText = colours.color(QPalette::Active, QPalette::HighlightedText);
    const std::int64_t visibleWidth = std::int64_t{viewport()->width()} * kUnitsPerPixel;
    QString run;
    std::int64_t runX = 0;
    bool runSelected = false;
    const auto flush = [&] {
        if (!run.isEmpty()) {
            painter.setPen(runSelected ? selectedText : text);
            painter.drawText(QPointF(kMargin + double(runX) / kUnitsPerPixel, top + ascent_), run);
            run.clear();
        }
    };
    std::int64_t x = 0;
    for (std::uint64_t pos = span.begin; pos < contentEnd && x < visibleWidth; ++pos) {
        const auto b = static_cast<unsigned char>(bytes[pos]);
        const bool selected = pos >= selection.begin() && pos < selection.end();
        const bool shown = IsShownByte(b);
        if (!shown || selected != runSelected)
            flush();
        if (shown) {
            if (run.isEmpty()) {
                runX = x;
                runSelected = selected;
            }
            run.append(QChar(kCp1251ToUnicode[b]));
        }
        x += AdvanceAt(glyphs, b, x);
    }
    flush();
}

void ReceiveViewWidget::paintCaret(QPainter& painter) const {
    const std::uint64_t caret = model_.selection().caret;
    const std::uint64_t row = model_.rowAt(caret);
    const std::uint64_t top = topRow();
    if (row < top || row > top + visibleRows())
        return;
    const double x = kMargin + double(model_.xOf(caret)) / kUnitsPerPixel;
    const int y = static_cast<int>(row - top) * rowHeight_;
    painter.setPen(CaretColor(palette()));
    painter.drawLine(QPointF(x, y), QPointF(x, y + rowHeight_ - 1));
}

void ReceiveViewWidget::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ReceiveViewWidget::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

// ---- Input ----

void ReceiveViewWidget::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers() == Qt::ControlModifier;
    if (event->matches(QKeySequence::Copy) || (ctrl && event->key() == Qt::Key_Insert) ||
        (ctrl && event->key() == Qt::Key_C)) {
        copy();
    } else if (event->matches(QKeySequence::SelectAll) || (ctrl && event->key() == Qt::Key_A)) {
        selectAll();
    } else if (!moveCaret(event)) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool ReceiveViewWidget::moveCaret(const QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool extend = modifiers.testFlag(Qt::ShiftModifier);
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    if (modifiers & ~(Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    CaretMove move;
    switch (event->key()) {
    case Qt::Key_Left:
        move = ctrl ? CaretMove::WordLeft : CaretMove::Left;
        break;
    case Qt::Key_Right:
        move = ctrl ? CaretMove::WordRight : CaretMove::Right;
        break;
    case Qt::Key_Up:
        move = CaretMove::Up;
        break;
    case Qt::Key_Down:
        move = CaretMove::Down;
        break;
    case Qt::Key_PageUp:
        move = CaretMove::PageUp;
        break;
    case Qt::Key_PageDown:
        move = CaretMove::PageDown;
        break;
    case Qt::Key_Home:
        move = ctrl ? CaretMove::TextStart : CaretMove::RowStart;
        break;
    case Qt::Key_End:
        move = ctrl ? CaretMove::TextEnd : CaretMove::RowEnd;
        break;
    default:
        return false;
    }
    const TextSelection selection = model_.selection();
    const bool vertical = move == CaretMove::Up || move == CaretMove::Down ||
                          move == CaretMove::PageUp || move == CaretMove::PageDown;
    if (!vertical)
        goalX_ = -1;
    else if (goalX_ < 0)
        goalX_ = model_.xOf(selection.caret);
    const std::uint64_t caret = MovedCaret(model_, selection.caret, move, goalX_, visibleRows());
    selectByUser(extend ? selection.anchor : caret, caret);
    ensureVisible(caret);
    return true;
}

void ReceiveViewWidget::selectByUser(std::uint64_t anchor, std::uint64_t caret) {
    const TextSelection before = model_.selection();
    model_.select(anchor, caret);
    viewport()->update();
    NotifySelectionChanged(this, before);
}

void ReceiveViewWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const std::uint64_t pos = positionAt(event->position().toPoint());
    const bool extend = event->modifiers().testFlag(Qt::ShiftModifier);
    selectByUser(extend ? model_.selection().anchor : pos, pos);
    goalX_ = -1;
}

void ReceiveViewWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!event->buttons().testFlag(Qt::LeftButton))
        return;
    const QPoint point = event->position().toPoint();
    // Dragging past the top or bottom edge scrolls on by a row per move.
    if (point.y() < 0 && topRow_ > 0)
        scrollToRow(topRow_ - 1);
    else if (point.y() >= viewport()->height())
        scrollToRow(topRow_ + 1);
    selectByUser(model_.selection().anchor, positionAt(point));
}

void ReceiveViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    const auto [begin, end] = model_.wordAt(byteAt(event->position().toPoint()));
    selectByUser(begin, end);
}

void ReceiveViewWidget::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copyAction = menu.addAction(QStringLiteral("Копировать"), this, [this] { copy(); });
    copyAction->setEnabled(!model_.selection().empty());
    menu.addAction(QStringLiteral("Выделить всё"), this, [this] { selectAll(); });
    menu.exec(event->globalPos());
}
