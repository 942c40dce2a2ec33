#include "ui/qt/SendEditorWidget.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>

#include "ui/qt/TextColours.h"

SendEditorWidget::SendEditorWidget(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
}

void SendEditorWidget::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    // Alt+Enter types nothing, as on Windows, where it only makes a system character.
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) {
        event->ignore();
        return;
    }
    // Every other Enter breaks the line for real: Shift+Enter would otherwise make a soft
    // break within the paragraph, and Ctrl+Enter nothing at all.
    QKeyEvent plainEnter(QEvent::KeyPress, event->key(), modifiers & Qt::KeypadModifier,
                         QStringLiteral("\r"), event->isAutoRepeat());
    QPlainTextEdit::keyPressEvent(&plainEnter);
    event->setAccepted(plainEnter.isAccepted());
    // Ctrl+Enter only breaks the line; the other Enters also send the line just ended.
    if (!(modifiers & Qt::ControlModifier) && enterHook_)
        enterHook_();
}

// Qt draws the caret by inverting what lies under it, which hardly shows on a background near
// middle grey; it is drawn over again in the colour the receive view's caret has.
void SendEditorWidget::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    if (getPaintContext().cursorPosition < 0)
        return;
    const QRect place = cursorRect();
    QPainter painter(viewport());
    painter.fillRect(place.x(), place.y(), cursorWidth(), place.height(), CaretColor(palette()));
}

void SendEditorWidget::insertFromMimeData(const QMimeData* source) {
    // Qt 6.4 reads the first format offered without looking whether there is one, and a
    // clipboard without an owner, or with one that does not answer, offers none.
    if (source && !source->formats().isEmpty())
        QPlainTextEdit::insertFromMimeData(source);
}
