#pragma once
// MainWindow in Qt: the sixteen controls at fixed places, the splitter, the window's events.

#include <array>
#include <QButtonGroup>
#include <QWidget>

#include "ui/ControlId.h"
#include "ui/qt/DropDownComboWidget.h"

class ConnectButtonWidget;
class QSpinBox;
class SendEditorWidget;
class ViewSplitterWidget;

class MainWindowWidget : public QWidget {
  public:
    MainWindowWidget();
    ~MainWindowWidget() override;

    QWidget* control(ControlId id) const { return controls_[id]; }
    ConnectButtonWidget* connectButton() const;
    DropDownComboWidget* combo(ControlId id) const;
    QSpinBox* spin() const;
    SendEditorWidget* sendEditor() const;
    ViewSplitterWidget* splitter() const;
    QButtonGroup* optionGroup() const { return optionGroup_; }

    void applyLayout();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void createControls();
    QWidget* createControl(ControlId id);

    std::array<QWidget*, kControlCount> controls_{};
    QButtonGroup* optionGroup_ = nullptr;
};
