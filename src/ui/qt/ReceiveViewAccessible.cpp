#include "ui/qt/ReceiveViewAccessible.h"

#include <algorithm>
#include <QAccessibleWidget>

#include "ui/qt/QtText.h"
#include "ui/qt/ReceiveViewWidget.h"
#include "ui/textview/TextUnits.h"

namespace {
// Offsets count from the first byte a client reaches (ExposedStart).
// A terminal: Orca 43 speaks text inserted without a key press only in a terminal (its terminal
// script, chosen by the role, takes an insertion that ends at the caret as the device's answer);
// in a read-only text it drops it "due to lack of cause".
class ReceiveViewAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit ReceiveViewAccessible(ReceiveViewWidget* view)
        : QAccessibleWidget(view, QAccessible::Terminal) {}

    using QAccessibleWidget::text;

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }

    int characterCount() const override { return static_cast<int>(size() - first()); }

    // A longer request gets its first kMaxAnswerBytes characters.
    QString text(int startOffset, int endOffset) const override {
        const std::uint64_t begin = position(startOffset);
        const std::uint64_t end = endOffset < 0 ? size() : position(endOffset);
        return ToQString(model().text(begin, std::min(end, begin + kMaxAnswerBytes)));
    }

    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                         int* endOffset) const override {
        if (!reaches(offset))
            return noText(startOffset, endOffset);
        return answer(unitAt(position(offset), boundary), startOffset, endOffset);
    }

    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                             int* endOffset) const override {
        if (!reaches(offset))
            return noText(startOffset, endOffset);
        const RowSpan at = unitAt(position(offset), boundary);
        if (at.begin <= first())
            return noText(startOffset, endOffset);
        return answer(unitAt(at.begin - 1, boundary), startOffset, endOffset);
    }

    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                            int* endOffset) const override {
        if (!reaches(offset))
            return noText(startOffset, endOffset);
        const RowSpan at = unitAt(position(offset), boundary);
        if (at.end >= size())
            return noText(startOffset, endOffset);
        return answer(unitAt(at.end, boundary), startOffset, endOffset);
    }

    int cursorPosition() const override { return offsetOf(model().selection().caret); }
    void setCursorPosition(int position) override {
        view()->select(this->position(position), this->position(position));
    }

    int selectionCount() const override { return model().selection().empty() ? 0 : 1; }
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        const TextSelection& selection = model().selection();
        const bool exists = selectionIndex == 0 && !selection.empty();
        *startOffset = exists ? offsetOf(selection.begin()) : 0;
        *endOffset = exists ? offsetOf(selection.end()) : 0;
    }
    // The view has one selection.
    void addSelection(int startOffset, int endOffset) override {
        setSelection(0, startOffset, endOffset);
    }
    void removeSelection(int selectionIndex) override {
        if (selectionIndex == 0)
            setCursorPosition(cursorPosition());
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override {
        if (selectionIndex == 0)
            view()->select(position(startOffset), position(endOffset));
    }

    // Qt's bridge answers a range's box by asking for each character's (up to 2^31 of them), so
    // that of a character off screen costs no more than a few comparisons.
    QRect characterRect(int offset) const override {
        const ReceiveViewWidget* view = this->view();
        const std::uint64_t size = view->model().size();
        const std::uint64_t first = ExposedStart(size);
        if (offset < 0 || static_cast<std::uint64_t>(offset) > size - first)
            return {};
        const QRect box = view->byteRect(first + static_cast<std::uint64_t>(offset));
        if (box.isNull())
            return {};
        return {view->viewport()->mapToGlobal(box.topLeft()), box.size()};
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint inView = view()->viewport()->mapFromGlobal(point);
        if (!view()->viewport()->rect().contains(inView))
            return -1;
        const std::uint64_t pos = view()->byteAt(inView);
        return pos < first() ? -1 : offsetOf(pos);
    }
    void scrollToSubstring(int startIndex, int) override {
        view()->showPosition(position(startIndex));
    }
    // Plain text: no attributes anywhere.
    QString attributes(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

  private:
    ReceiveViewWidget* view() const { return static_cast<ReceiveViewWidget*>(widget()); }
    const TextViewModel& model() const { return view()->model(); }
    std::uint64_t size() const { return model().size(); }
    std::uint64_t first() const { return ExposedStart(size()); }
    bool reaches(int offset) const { return offset >= 0 && offset <= characterCount(); }
    std::uint64_t position(int offset) const {
        return first() + static_cast<std::uint64_t>(std::clamp(offset, 0, characterCount()));
    }
    int offsetOf(std::uint64_t pos) const {
        return static_cast<int>(std::max(pos, first()) - first());
    }

    RowSpan unitAt(std::uint64_t pos, QAccessible::TextBoundaryType boundary) const {
        switch (boundary) {
        case QAccessible::CharBoundary:
            return TextUnitAt(model(), pos, TextUnit::Character);
        case QAccessible::WordBoundary:
            return TextUnitAt(model(), pos, TextUnit::Word);
        case QAccessible::LineBoundary:
            return TextUnitAt(model(), pos, TextUnit::Row);
        case QAccessible::SentenceBoundary:
        case QAccessible::ParagraphBoundary:
            return TextUnitAt(model(), pos, TextUnit::Paragraph);
        case QAccessible::NoBoundary:
            break;
        }
        return {first(), std::min(size(), first() + kMaxAnswerBytes)};
    }

    QString answer(RowSpan span, int* startOffset, int* endOffset) const {
        span.begin = std::max(span.begin, first());
        *startOffset = offsetOf(span.begin);
        *endOffset = offsetOf(span.end);
        return ToQString(model().text(span.begin, span.end));
    }

    static QString noText(int* startOffset, int* endOffset) {
        *startOffset = -1;
        *endOffset = -1;
        return {};
    }
};

QAccessibleInterface* MakeReceiveViewAccessible(const QString&, QObject* object) {
    if (auto* view = qobject_cast<ReceiveViewWidget*>(object))
        return new ReceiveViewAccessible(view);
    return nullptr;
}

int OffsetIn(const TextViewModel& model, std::uint64_t pos) {
    const std::uint64_t first = ExposedStart(model.size());
    return static_cast<int>(std::max(pos, first) - first);
}

bool SameSelectedText(const TextSelection& a, const TextSelection& b) {
    if (a.empty() || b.empty())
        return a.empty() == b.empty();
    return a.begin() == b.begin() && a.end() == b.end();
}
} // namespace

void InstallReceiveViewAccessibility() {
    static const bool installed = (QAccessible::installFactory(MakeReceiveViewAccessible), true);
    (void)installed;
}

// A tick's text is far below one answer's length; a larger append carries its last part.
void NotifyTextAppended(ReceiveViewWidget* view, const std::string& appended) {
    if (!QAccessible::isActive() || appended.empty())
        return;
    const TextViewModel& model = view->model();
    const std::size_t carried = static_cast<std::size_t>(std::min<std::uint64_t>(
        {appended.size(), kMaxAnswerBytes, model.size() - ExposedStart(model.size())}));
    QAccessibleTextInsertEvent event(view, OffsetIn(model, model.size() - carried),
                                     ToQString(appended.substr(appended.size() - carried)));
    QAccessible::updateAccessibility(&event);
}

// Qt's AT-SPI bridge passes on no removal without its text: the caret's move to the start tells
// clients there that the text changed.
void NotifyTextCleared(ReceiveViewWidget* view) {
    if (!QAccessible::isActive())
        return;
    QAccessibleTextRemoveEvent removed(view, 0, QString());
    QAccessible::updateAccessibility(&removed);
    QAccessibleTextCursorEvent caret(view, 0);
    QAccessible::updateAccessibility(&caret);
}

void NotifySelectionChanged(ReceiveViewWidget* view, const TextSelection& before) {
    if (!QAccessible::isActive())
        return;
    const TextViewModel& model = view->model();
    const TextSelection& now = model.selection();
    if (!SameSelectedText(before, now)) {
        QAccessibleTextSelectionEvent event(view, OffsetIn(model, now.begin()),
                                            OffsetIn(model, now.end()));
        event.setCursorPosition(OffsetIn(model, now.caret));
        QAccessible::updateAccessibility(&event);
    }
    if (now.caret != before.caret) {
        QAccessibleTextCursorEvent event(view, OffsetIn(model, now.caret));
        QAccessible::updateAccessibility(&event);
    }
}
