#pragma once

#include <QComboBox>
#include <QSignalBlocker>

#include "ui/qt/DescribedEntriesModel.h"

// The window's combo boxes. Whatever the style, the drop-down opens as a list with a scroll bar
// below the box, or above it where the screen ends, at most 350 pixels high, and the text
// field leaves the arrow a narrow strip. The change signal
// comes once for each user action that leaves another selection or another text than before it;
// the program's own changes go through changeByProgram and signal nothing.
class DropDownComboWidget : public QComboBox {
    Q_OBJECT

  public:
    static constexpr int kListMaxHeight = 350;

    DropDownComboWidget(bool editable, QWidget* parent);
    ~DropDownComboWidget() override;

    // Runs a change of selection, text or entries that the program makes.
    template <class Change> void changeByProgram(Change change) {
        {
            const QSignalBlocker comboBlocker(this);
            const QSignalBlocker editBlocker(lineEdit());
            change();
            followTextWithList();
        }
        noteShown();
    }

    // Gives each entry the accessible description the describer makes for it.
    void setDescriber(DescribedEntriesModel::Describer describe);

    // The list is drawn in the desktop's font, which may be larger than the box's: once open,
    // it is widened where its entries need more room than the box's width.
    void showPopup() override;

  signals:
    void changedByUser();

  private:
    // In the editable box, the entry whose text the field shows becomes the list's current one,
    // so that Up and Down step from it; the field's text, cursor and selection stay, and no
    // change is signalled.
    void followTextWithList();
    // Takes the selection and text shown now as the ones the next change is measured against;
    // true when they differ from those before.
    bool noteShown();

    int shownIndex_ = -1;
    QString shownText_;
};
