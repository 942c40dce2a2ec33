#pragma once
// A modal font chooser that also offers a text colour (Qt's own dialog has none): face, style
// with the family's real weights, size in points with halves, underline, strike-out, colour
// and a sample of the result.

#include <optional>
#include <QColor>
#include <QDialog>
#include <QString>

#include "ui/qt/FontStyleList.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

struct FontPreset {
    QString face;
    std::optional<int> pixelHeight; // none: no size is chosen yet
    std::optional<int> weight;      // none: the family's regular weight
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QColor color;
};

struct ChosenFont {
    QString face;
    int tenthsOfPoint = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QColor color;
};

class FontChooserDialog : public QDialog {
  public:
    explicit FontChooserDialog(const FontPreset& preset, QWidget* parent = nullptr);

    ChosenFont chosen() const;

    // Selects this weight and slant; a weight the family lacks gets an entry of its own, drawn
    // with the family's nearest face.
    void selectStyle(const FontStyleEntry& style);

  private:
    void buildFaceColumn();
    void buildStyleColumn();
    void buildSizeColumn();
    QWidget* buildEffects();
    QWidget* buildSample();

    void faceTyped(const QString& text);
    void fillStyles();
    void sizeTyped(const QString& text);
    void selectColor(const QColor& color);
    QString family() const;
    FontStyleEntry currentStyle() const;
    int tenthsOfPoint() const; // 0 while the size field holds no size
    void refresh();

    QLineEdit* faceEdit_ = nullptr;
    QListWidget* faceList_ = nullptr;
    QLineEdit* styleEdit_ = nullptr;
    QListWidget* styleList_ = nullptr;
    QLineEdit* sizeEdit_ = nullptr;
    QListWidget* sizeList_ = nullptr;
    QCheckBox* strikeOut_ = nullptr;
    QCheckBox* underline_ = nullptr;
    QComboBox* color_ = nullptr;
    QLabel* sample_ = nullptr;
    QPushButton* ok_ = nullptr;
};
