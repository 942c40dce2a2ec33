#pragma once
// The rule around every modal dialog: other visible top-level windows are disabled and leave
// the topmost band while the dialog is open, and return as they were when it closes.

#include <QPointer>
#include <QWidget>
#include <vector>

class ModalDialogGuard {
  public:
    ModalDialogGuard();
    ~ModalDialogGuard();
    ModalDialogGuard(const ModalDialogGuard&) = delete;
    ModalDialogGuard& operator=(const ModalDialogGuard&) = delete;

    // The foreground window, when it is one of ours; nullptr otherwise.
    QWidget* owner() const { return owner_; }

  private:
    struct Remembered {
        QPointer<QWidget> window;
        bool disabled = false;
        bool topmost = false;
    };
    std::vector<Remembered> windows_;
    QWidget* owner_ = nullptr;
};

bool IsStayingOnTop(QWidget* window);
void SetStayOnTop(QWidget* window, bool onTop);
