#pragma once

#include <QPlainTextEdit>

// The send editor: an ordinary word-wrapping editor whose Enter key, once handled, also runs
// the program's hook.
class SendEditorWidget : public QPlainTextEdit {
  public:
    explicit SendEditorWidget(QWidget* parent);

    void setEnterHook(void (*hook)()) { enterHook_ = hook; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void (*enterHook_)() = nullptr;
};
