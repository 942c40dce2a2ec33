#pragma once
// The rule around every modal dialog: the thread's other visible top-level windows are
// disabled and leave the topmost band while it is open, and return as they were afterwards.

#include <vector>
#include <windows.h>

// SetWindowPos flags that change only a window's band.
constexpr UINT kKeepPlaceAndSize = SWP_NOSIZE | SWP_NOMOVE;

bool IsTopmost(HWND window);

class ModalDialogGuard {
  public:
    ModalDialogGuard();
    ~ModalDialogGuard();
    ModalDialogGuard(const ModalDialogGuard&) = delete;
    ModalDialogGuard& operator=(const ModalDialogGuard&) = delete;

    // The foreground window when it belongs to this process, else none.
    HWND owner() const { return owner_; }

  private:
    struct Remembered {
        HWND window = nullptr;
        bool disabled = false;
        bool topmost = false;
    };
    static BOOL CALLBACK Take(HWND window, LPARAM guard);

    std::vector<Remembered> windows_;
    HWND owner_ = nullptr;
};
