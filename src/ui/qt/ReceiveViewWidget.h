#pragma once
// ReceiveView: the read-only, word-wrapped view of received text. The text lives in a
// TextViewModel whose full blocks go to an unnamed temporary file in the current directory, so
// an append costs the same and memory stays the same however much text the view already holds;
// only the visible rows are painted.

#include <cstdint>
#include <optional>
#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QTimer>
#include <string>

#include "ui/textview/CaretMove.h"
#include "ui/textview/TextViewModel.h"

class QPainter;

class ReceiveViewWidget : public QAbstractScrollArea {
    Q_OBJECT

  public:
    explicit ReceiveViewWidget(QWidget* parent = nullptr);

    // One insertion at the end: the selection becomes empty after the new text and the view
    // scrolls to show it. Assistive clients hear of it as one insertion.
    void appendText(const std::string& cp1251);
    void clear();
    std::string text() const;
    void selectAll();
    // Puts the selected text on the clipboard; nothing when the selection is empty or larger
    // than kMaxCopyBytes, which is never cut short: the clipboard then keeps what it had.
    static constexpr std::uint64_t kMaxCopyBytes = std::uint64_t{64} << 20;
    void copy() const;

    // The glyph advances are measured once the view holds text.
    const TextViewModel& model() const { return model_; }

    // For assistive clients: a selection made as the user makes one, the caret then shown; the
    // box of the byte at pos and the byte under a point, in the viewport's coordinates. A byte
    // off screen has an empty box, found at once, without laying out its text.
    void select(std::uint64_t anchor, std::uint64_t caret);
    void showPosition(std::uint64_t pos);
    QRect byteRect(std::uint64_t pos) const;
    std::uint64_t byteAt(const QPoint& point) const;

  protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    struct ScrollAnchor {
        bool atEnd = true;
        std::uint64_t topPosition = 0;

        // Where a re-wrap lays out first, the end aside.
        std::optional<std::uint64_t> shownFrom() const {
            return atEnd ? std::nullopt : std::optional(topPosition);
        }
    };

    void applyFont();
    void measureGlyphs(const ScrollAnchor& anchor);
    void applyWidth();
    void continueRewrap();
    ScrollAnchor scrollAnchor() const;
    void restoreScroll(const ScrollAnchor& anchor);
    // From the start of the top row to the end of the last row on screen; kept until they
    // change.
    RowSpan shownText() const;
    std::uint64_t lastTopRow() const;
    void scrollToRow(std::uint64_t row);
    void ensureVisible(std::uint64_t pos);
    std::uint64_t topRow() const;
    std::uint64_t visibleRows() const;
    std::uint64_t rowAtY(int y) const;
    std::int64_t unitsAtX(int x) const;
    std::uint64_t positionAt(const QPoint& point) const;
    bool moveCaret(const QKeyEvent* event);
    // Selects and lets assistive clients know of the user's change.
    void selectByUser(std::uint64_t anchor, std::uint64_t caret);
    void paintRow(QPainter& painter, std::uint64_t row, int top, const QColor& text) const;
    void paintCaret(QPainter& painter) const;

    TextViewModel model_;
    QFont drawingFont_;
    bool glyphsMeasured_ = false;
    int rowHeight_ = 1;
    int ascent_ = 0;
    std::int64_t goalX_ = -1; // column kept by vertical caret moves; -1 when none
    std::uint64_t topRow_ = 0;
    bool atEnd_ = true;             // the last rows were shown when the view last scrolled
    bool settingScrollBar_ = false; // the bar's moves are the view's own, not the user's
    QTimer rewrapTimer_;
    mutable std::optional<RowSpan> shown_; // emptied wherever the top row or the rows change
};
