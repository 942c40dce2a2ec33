#include "ui/qt/FontChooserDialog.h"

#include <cmath>
#include <cstdlib>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <utility>

#include "ui/qt/ClassicColors.h"
#include "ui/qt/TextColours.h"

namespace {

constexpr int kStandardSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
constexpr int kWeightRole = Qt::UserRole;
constexpr int kItalicRole = Qt::UserRole + 1;
constexpr int kListHeight = 140;
constexpr int kSampleHeight = 72;

// Up to three digits of whole points and an optional tenth, with a comma or a point.
const QRegularExpression& SizePattern() {
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("(\\d{1,3})(?:[.,](\\d))?")));
    return pattern;
}

QString SizeText(int tenths) {
    if (tenths % 10 == 0)
        return QString::number(tenths / 10);
    return QStringLiteral("%1,%2").arg(tenths / 10).arg(tenths % 10);
}

// Whole points, so that a size kept in whole points comes back as it was.
int TenthsForPixelHeight(int pixels) {
    const QScreen* screen = QApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return static_cast<int>(std::lround(std::abs(pixels) * 72.0 / dpi)) * 10;
}

QIcon Swatch(const QColor& color) {
    QPixmap pixmap(24, 12);
    pixmap.fill(color);
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

QListWidget* NewList(const char* name, int width) {
    auto* list = new QListWidget;
    list->setObjectName(QString::fromLatin1(name));
    list->setFixedSize(width, kListHeight);
    return list;
}

QLineEdit* NewEdit(const char* name, int width) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFixedWidth(width);
    return edit;
}

QListWidgetItem* NewStyleItem(const FontStyleEntry& style) {
    auto* item = new QListWidgetItem(StyleName(style));
    item->setData(kWeightRole, style.weight);
    item->setData(kItalicRole, style.italic);
    return item;
}

FontStyleEntry StyleOf(const QListWidgetItem* item) {
    return {item->data(kWeightRole).toInt(), item->data(kItalicRole).toBool()};
}

// The typed text stays as typed; the list only follows it.
void FollowTypedText(QListWidget* list, const QString& text, Qt::MatchFlags match,
                     QAbstractItemView::ScrollHint hint) {
    const QSignalBlocker blocker(list);
    const auto matches = text.isEmpty() ? QList<QListWidgetItem*>() : list->findItems(text, match);
    QListWidgetItem* first = matches.isEmpty() ? nullptr : matches.first();
    list->setCurrentItem(first);
    if (first)
        list->scrollToItem(first, hint);
}

} // namespace

FontChooserDialog::FontChooserDialog(const FontPreset& preset, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Шрифт"));
    setModal(true);
    buildFaceColumn();
    buildStyleColumn();
    buildSizeColumn();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    const std::pair<const char16_t*, QWidget*> columns[] = {
        {u"Шрифт:", faceEdit_}, {u"Начертание:", styleEdit_}, {u"Размер:", sizeEdit_}};
    int column = 0;
    for (const auto& [caption, edit] : columns) {
        auto* label = new QLabel(QString::fromUtf16(caption));
        label->setBuddy(edit);
        grid->addWidget(label, 0, column++);
    }
    grid->addWidget(faceEdit_, 1, 0);
    grid->addWidget(styleEdit_, 1, 1);
    grid->addWidget(sizeEdit_, 1, 2);
    grid->addWidget(faceList_, 2, 0);
    grid->addWidget(styleList_, 2, 1);
    grid->addWidget(sizeList_, 2, 2);
    grid->addWidget(buildEffects(), 3, 0);
    grid->addWidget(buildSample(), 3, 1, 1, 2);
    grid->addWidget(buttons, 4, 0, 1, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    faceEdit_->setText(preset.face);
    faceTyped(preset.face);
    selectStyle({preset.weight.value_or(400), preset.italic});
    if (preset.pixelHeight) {
        sizeEdit_->setText(SizeText(TenthsForPixelHeight(*preset.pixelHeight)));
        sizeTyped(sizeEdit_->text());
    }
    underline_->setChecked(preset.underline);
    strikeOut_->setChecked(preset.strikeOut);
    selectColor(preset.color);
    refresh();
}

void FontChooserDialog::buildFaceColumn() {
    faceEdit_ = NewEdit("faceEdit", 180);
    faceList_ = NewList("faceList", 180);
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(family))
            faceList_->addItem(family);
    }
    connect(faceEdit_, &QLineEdit::textEdited, this, &FontChooserDialog::faceTyped);
    connect(faceList_, &QListWidget::currentTextChanged, this, [this](const QString& family) {
        faceEdit_->setText(family);
        fillStyles();
        refresh();
    });
}

void FontChooserDialog::buildStyleColumn() {
    styleEdit_ = NewEdit("styleEdit", 140);
    styleEdit_->setReadOnly(true);
    styleList_ = NewList("styleList", 140);
    connect(styleList_, &QListWidget::currentTextChanged, this, [this](const QString& name) {
        styleEdit_->setText(name);
        refresh();
    });
}

void FontChooserDialog::buildSizeColumn() {
    sizeEdit_ = NewEdit("sizeEdit", 64);
    sizeEdit_->setValidator(new QRegularExpressionValidator(SizePattern(), sizeEdit_));
    sizeList_ = NewList("sizeList", 64);
    for (int points : kStandardSizes)
        sizeList_->addItem(QString::number(points));
    connect(sizeEdit_, &QLineEdit::textEdited, this, &FontChooserDialog::sizeTyped);
    connect(sizeList_, &QListWidget::currentTextChanged, this, [this](const QString& size) {
        if (size.isEmpty())
            return;
        sizeEdit_->setText(size);
        refresh();
    });
}

QWidget* FontChooserDialog::buildEffects() {
    auto* group = new QGroupBox(QStringLiteral("Видоизменение"));
    strikeOut_ = new QCheckBox(QStringLiteral("Зачёркнутый"));
    strikeOut_->setObjectName(QStringLiteral("strikeOut"));
    underline_ = new QCheckBox(QStringLiteral("Подчёркнутый"));
    underline_->setObjectName(QStringLiteral("underline"));
    color_ = new QComboBox;
    color_->setObjectName(QStringLiteral("color"));
    for (const NamedColor& named : kClassicColors) {
        const QColor color(named.rgb);
        color_->addItem(Swatch(color), QString::fromUtf16(named.name), color);
    }
    auto* colorLabel = new QLabel(QStringLiteral("Цвет:"));
    colorLabel->setBuddy(color_);

    auto* layout = new QVBoxLayout(group);
    layout->addWidget(strikeOut_);
    layout->addWidget(underline_);
    layout->addWidget(colorLabel);
    layout->addWidget(color_);
    for (QCheckBox* box : {strikeOut_, underline_})
        connect(box, &QCheckBox::toggled, this, &FontChooserDialog::refresh);
    connect(color_, &QComboBox::currentIndexChanged, this, &FontChooserDialog::refresh);
    return group;
}

QWidget* FontChooserDialog::buildSample() {
    auto* group = new QGroupBox(QStringLiteral("Образец"));
    sample_ = new QLabel(QStringLiteral("АаБбYyZz"));
    sample_->setObjectName(QStringLiteral("sample"));
    sample_->setAlignment(Qt::AlignCenter);
    // A large size is clipped instead of growing the dialog.
    sample_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    sample_->setFixedHeight(kSampleHeight);
    sample_->setFrameShape(QFrame::StyledPanel);
    sample_->setAutoFillBackground(true);
    // Drawn as the text controls draw, so that it shows their colours.
    sample_->setBackgroundRole(QPalette::Base);
    sample_->setForegroundRole(QPalette::Text);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(sample_);
    return group;
}

void FontChooserDialog::faceTyped(const QString& text) {
    FollowTypedText(faceList_, text, Qt::MatchStartsWith, QAbstractItemView::PositionAtTop);
    fillStyles();
    refresh();
}

void FontChooserDialog::fillStyles() {
    const FontStyleEntry wanted = currentStyle();
    {
        const QSignalBlocker blocker(styleList_);
        styleList_->clear();
        for (const FontStyleEntry& style : FamilyStyles(family()))
            styleList_->addItem(NewStyleItem(style));
    }
    // The same style when the family has it, else the nearest weight of the same slant.
    int best = 0;
    int bestDistance = -1;
    for (int row = 0; row < styleList_->count(); ++row) {
        const FontStyleEntry style = StyleOf(styleList_->item(row));
        if (style.italic != wanted.italic)
            continue;
        const int distance = std::abs(style.weight - wanted.weight);
        if (bestDistance < 0 || distance < bestDistance) {
            best = row;
            bestDistance = distance;
        }
    }
    styleList_->setCurrentRow(best);
}

void FontChooserDialog::selectStyle(const FontStyleEntry& style) {
    int row = 0;
    while (row < styleList_->count()) {
        const FontStyleEntry entry = StyleOf(styleList_->item(row));
        if (entry == style) {
            styleList_->setCurrentRow(row);
            return;
        }
        if (style < entry)
            break;
        ++row;
    }
    styleList_->insertItem(row, NewStyleItem(style));
    styleList_->setCurrentRow(row);
}

void FontChooserDialog::sizeTyped(const QString& text) {
    FollowTypedText(sizeList_, text, Qt::MatchExactly, QAbstractItemView::EnsureVisible);
    refresh();
}

void FontChooserDialog::selectColor(const QColor& color) {
    for (int index = 0; index < color_->count(); ++index) {
        if (color_->itemData(index).value<QColor>().rgb() == color.rgb()) {
            color_->setCurrentIndex(index);
            return;
        }
    }
    // Any other colour keeps an entry of its own, so that OK gives it back unchanged.
    color_->addItem(Swatch(color), QStringLiteral("Другой"), color);
    color_->setCurrentIndex(color_->count() - 1);
}

QString FontChooserDialog::family() const {
    const QString text = faceEdit_->text();
    const auto matches = faceList_->findItems(text, Qt::MatchFixedString);
    return matches.isEmpty() ? text : matches.first()->text();
}

FontStyleEntry FontChooserDialog::currentStyle() const {
    const QListWidgetItem* item = styleList_->currentItem();
    return item ? StyleOf(item) : FontStyleEntry{};
}

int FontChooserDialog::tenthsOfPoint() const {
    const QRegularExpressionMatch match = SizePattern().match(sizeEdit_->text());
    if (!match.hasMatch())
        return 0;
    return match.captured(1).toInt() * 10 + match.captured(2).toInt();
}

ChosenFont FontChooserDialog::chosen() const {
    const FontStyleEntry style = currentStyle();
    return {family(),
            tenthsOfPoint(),
            style.weight,
            style.italic,
            underline_->isChecked(),
            strikeOut_->isChecked(),
            color_->currentData().value<QColor>()};
}

void FontChooserDialog::refresh() {
    const ChosenFont choice = chosen();
    ok_->setEnabled(choice.tenthsOfPoint > 0);
    QFont font(choice.face);
    if (choice.tenthsOfPoint > 0)
        font.setPointSizeF(choice.tenthsOfPoint / 10.0);
    font.setWeight(static_cast<QFont::Weight>(choice.weight));
    font.setItalic(choice.italic);
    font.setUnderline(choice.underline);
    font.setStrikeOut(choice.strikeOut);
    sample_->setFont(font);
    FollowDesktopPalette(sample_, choice.color);
}
