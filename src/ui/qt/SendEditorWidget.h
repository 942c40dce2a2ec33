#pragma once

#include <QPlainTextEdit>

// The send editor: an ordinary word-wrapping editor. Enter, keypad Enter and Shift+Enter break
// the line and then run the program's hook; Ctrl+Enter only breaks the line; Alt+Enter does
// nothing.
class SendEditorWidget : public QPlainTextEdit {
  public:
    explicit SendEditorWidget(QWidget* parent);

    void setEnterHook(void (*hook)()) { enterHook_ = hook; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

  private:
    void (*enterHook_)() = nullptr;
};
