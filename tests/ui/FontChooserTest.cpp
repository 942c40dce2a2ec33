#include <array>
#include <functional>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "shared/TerminalState.h"
#include "support/qt/WindowFixture.h"
#include "ui/Appearance.h"
#include "ui/Contrast.h"
#include "ui/qt/FontChooserDialog.h"
#include "ui/qt/ModalDialogGuard.h"
#include "ui/qt/QtText.h"
#include "ui/qt/ReceiveViewWidget.h"
#include "ui/qt/SendEditorWidget.h"
#include "ui/qt/TextFont.h"

namespace {

FontChooserDialog* OpenChooser() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = dynamic_cast<FontChooserDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

template <class Part> Part* PartOf(QWidget& dialog, const char* name) {
    auto* part = dialog.findChild<Part*>(QString::fromLatin1(name));
    EXPECT_NE(part, nullptr) << name;
    return part;
}

QPushButton* Button(QWidget& dialog, QDialogButtonBox::StandardButton which) {
    return dialog.findChild<QDialogButtonBox*>()->button(which);
}

void ClickOk(FontChooserDialog& dialog) {
    QTest::mouseClick(Button(dialog, QDialogButtonBox::Ok), Qt::LeftButton);
}

void ClickCancel(FontChooserDialog& dialog) {
    QTest::mouseClick(Button(dialog, QDialogButtonBox::Cancel), Qt::LeftButton);
}

void ClickItem(QListWidget* list, const QString& text) {
    const auto items = list->findItems(text, Qt::MatchExactly);
    ASSERT_FALSE(items.isEmpty()) << text.toStdString();
    list->scrollToItem(items.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items.first()).center());
}

void Type(QWidget* field, const QString& text) {
    QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, text, Qt::NoModifier);
}

// Runs the FontButton handler while `act` drives the open chooser; a chooser that `act` leaves
// open is cancelled so that a failing check cannot hang the test.
void ChooseWith(const std::function<void(FontChooserDialog&)>& act) {
    bool acted = false;
    QTimer::singleShot(0, [&] {
        FontChooserDialog* dialog = OpenChooser();
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
        acted = true;
        if (dialog->isVisible())
            dialog->reject();
    });
    ChooseTextFont();
    EXPECT_TRUE(acted);
}

QString Utf16(const char16_t* text) {
    return QString::fromUtf16(text);
}

// Desktops' colours: window, base, text, selection fill, selected text. The dark ones' bases give
// black text the 1.35:1 and 1.93:1 found under Adwaita:dark (gtk3) and qt6ct's darker scheme;
// on the grey one Qt's own caret, the inverted background, hardly shows.
using Desktop = std::array<QRgb, 5>;
constexpr Desktop kAdwaitaDarkLike{0x353535, 0x242424, 0xEEEEEE, 0x15539E, 0xFFFFFF};
constexpr Desktop kDarkerLike{0x303030, 0x3D3D3D, 0xFFFFFF, 0x12608A, 0xF9F9F9};
constexpr Desktop kLight{0xEFEFEF, 0xFFFFFF, 0x000000, 0x308CC6, 0xFFFFFF};
constexpr Desktop kGrey{0x808080, 0x777777, 0x000000, 0x1B4F8A, 0xFFFFFF};

QPalette PaletteOf(const Desktop& d) {
    QPalette palette{QColor(d[2]), QColor(d[0]), Qt::white,    Qt::black,   Qt::gray,
                     QColor(d[2]), Qt::white,    QColor(d[1]), QColor(d[0])};
    palette.setColor(QPalette::Highlight, QColor(d[3]));
    palette.setColor(QPalette::HighlightedText, QColor(d[4]));
    return palette;
}

// The highest contrast that a drawn pixel reaches on `ground`, within the smallest rectangle
// holding every pixel of that colour; 0 where there is none.
double DrawnContrast(const QImage& image, QRgb ground) {
    const auto rgb = [](QRgb c) { return Rgb{uchar(qRed(c)), uchar(qGreen(c)), uchar(qBlue(c))}; };
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            area |=
                (image.pixel(x, y) & 0xFFFFFF) == (ground & 0xFFFFFF) ? QRect(x, y, 1, 1) : QRect();
    double highest = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            highest = std::max(highest, ContrastRatio(rgb(image.pixel(x, y)), rgb(ground)));
    return highest;
}

bool operator==(const FontSettings& a, const FontSettings& b) {
    return a.Name == b.Name && a.Size == b.Size && a.Style == b.Style && a.Color == b.Color;
}

} // namespace

class FontChooserTest : public WindowTest {
  protected:
    void useFont(const char16_t* name, int32_t size, int32_t style, int32_t color) {
        terminal.Font = {FromQString(Utf16(name)), size, style, color};
        ApplyTextFont();
    }
    QFont fontOf(ControlId id) const { return control(id)->font(); }
    QColor colorOf(ControlId id) const { return control(id)->palette().color(QPalette::Text); }
};

TEST_F(FontChooserTest, WindowOnTopLeavesTheTopBandWhileOpenAndReturnsOnOkAndCancel) {
    useFont(u"Courier", 12, 0, 0);
    ShowAndActivate();
    ApplyStayOnTop(true);
    for (auto close : {ClickOk, ClickCancel}) {
        // The offscreen platform activates no window when a dialog closes; a desktop would.
        QApplication::setActiveWindow(window());
        ChooseWith([&](FontChooserDialog& dialog) {
            EXPECT_TRUE(dialog.isModal());
            EXPECT_EQ(dialog.parentWidget(), window()) << "owned by the foreground window";
            EXPECT_EQ(dialog.font(), QApplication::font(&dialog)) << "the desktop's font";
            EXPECT_EQ(dialog.windowTitle(), Utf16(u"Шрифт"));
            EXPECT_FALSE(IsStayingOnTop(window()));
            close(dialog);
        });
        EXPECT_TRUE(IsStayingOnTop(window()));
    }
}

TEST_F(FontChooserTest, CancelLeavesTheSettingsAndBothTextControlsAsTheyWere) {
    useFont(u"Liberation Serif", 14, Italic | Underline, 0x0000FF);
    const FontSettings before = terminal.Font;
    const QFont receiveFont = fontOf(ReceiveView);
    const QFont sendFont = fontOf(SendEditor);

    ChooseWith([](FontChooserDialog& dialog) {
        ClickItem(PartOf<QListWidget>(dialog, "sizeList"), QStringLiteral("28"));
        ClickItem(PartOf<QListWidget>(dialog, "styleList"), Utf16(u"Жирный"));
        PartOf<QCheckBox>(dialog, "strikeOut")->click();
        PartOf<QComboBox>(dialog, "color")->setCurrentText(Utf16(u"Зелёный"));
        ClickCancel(dialog);
    });

    EXPECT_TRUE(terminal.Font == before);
    EXPECT_EQ(fontOf(ReceiveView), receiveFont);
    EXPECT_EQ(fontOf(SendEditor), sendFont);
    EXPECT_EQ(colorOf(ReceiveView), QColor(Qt::red));
    EXPECT_EQ(colorOf(SendEditor), QColor(Qt::red));
}

TEST_F(FontChooserTest, OpensAtTheStoredFontAndOkWithoutChangesKeepsIt) {
    useFont(u"Courier", 12, Bold | Italic | Underline, 0x0000FF);
    const FontSettings before = terminal.Font;
    ChooseWith([](FontChooserDialog& dialog) {
        EXPECT_EQ(PartOf<QLineEdit>(dialog, "faceEdit")->text(), QStringLiteral("Courier"));
        EXPECT_EQ(PartOf<QLineEdit>(dialog, "styleEdit")->text(), Utf16(u"Жирный курсив"));
        EXPECT_EQ(PartOf<QLineEdit>(dialog, "sizeEdit")->text(), QStringLiteral("12"));
        EXPECT_TRUE(PartOf<QCheckBox>(dialog, "underline")->isChecked());
        EXPECT_FALSE(PartOf<QCheckBox>(dialog, "strikeOut")->isChecked());
        EXPECT_EQ(PartOf<QComboBox>(dialog, "color")->currentText(), Utf16(u"Красный"));
        ClickOk(dialog);
    });
    EXPECT_TRUE(terminal.Font == before);
}

TEST_F(FontChooserTest, NoStoredSizePresetsNoneAndOkWaitsForOne) {
    useFont(u"Courier", 0, 0, 0);
    ChooseWith([](FontChooserDialog& dialog) {
        EXPECT_EQ(PartOf<QLineEdit>(dialog, "sizeEdit")->text(), QString());
        EXPECT_FALSE(Button(dialog, QDialogButtonBox::Ok)->isEnabled());
        ClickItem(PartOf<QListWidget>(dialog, "sizeList"), QStringLiteral("9"));
        EXPECT_TRUE(Button(dialog, QDialogButtonBox::Ok)->isEnabled());
        ClickOk(dialog);
    });
    EXPECT_EQ(terminal.Font.Size, 9);
}

TEST_F(FontChooserTest, HalfPointSizeStoresWholePoints) {
    useFont(u"Courier", 12, 0, 0);
    ChooseWith([](FontChooserDialog& dialog) {
        QLineEdit* size = PartOf<QLineEdit>(dialog, "sizeEdit");
        size->selectAll();
        QTest::keyClicks(size, QStringLiteral("10,5"));
        EXPECT_EQ(dialog.chosen().tenthsOfPoint, 105);
        size->selectAll();
        QTest::keyClicks(size, QStringLiteral("10.5"));
        EXPECT_EQ(dialog.chosen().tenthsOfPoint, 105);
        ClickOk(dialog);
    });
    EXPECT_EQ(terminal.Font.Size, 10);
    EXPECT_EQ(fontOf(ReceiveView).pixelSize(), FontPixelHeight(10));
    EXPECT_EQ(fontOf(SendEditor).pixelSize(), FontPixelHeight(10));
}

TEST_F(FontChooserTest, SemiBoldAndHeavyWeightsStoreNoBoldAndBuildARegularFont) {
    for (const auto& [weight, name] : {std::pair{600, u"Полужирный"}, std::pair{900, u"Чёрный"}}) {
        useFont(u"DejaVu Sans", 12, Bold, 0);
        ChooseWith([&](FontChooserDialog& dialog) {
            // Selected through the list when the family has the weight, else added to it.
            dialog.selectStyle({weight, false});
            EXPECT_EQ(PartOf<QLineEdit>(dialog, "styleEdit")->text(), Utf16(name));
            EXPECT_EQ(dialog.chosen().weight, weight);
            ClickOk(dialog);
        });
        EXPECT_EQ(terminal.Font.Style, 0) << weight;
        EXPECT_EQ(fontOf(ReceiveView).weight(), QFont::Normal) << weight;
        EXPECT_EQ(fontOf(SendEditor).weight(), QFont::Normal) << weight;
    }
}

TEST_F(FontChooserTest, StyleListOffersTheFamilysOwnWeightsExactly) {
    QString family;
    FontStyleEntry unusual;
    for (const QString& candidate : QFontDatabase::families()) {
        for (const FontStyleEntry& style : FamilyStyles(candidate)) {
            if (family.isEmpty() && style.weight != 400 && style.weight != 700) {
                family = candidate;
                unusual = style;
            }
        }
    }
    if (family.isEmpty())
        GTEST_SKIP() << "no installed family has a weight other than 400 and 700";

    useFont(u"Courier", 12, 0, 0);
    ChooseWith([&](FontChooserDialog& dialog) {
        ClickItem(PartOf<QListWidget>(dialog, "faceList"), family);
        ClickItem(PartOf<QListWidget>(dialog, "styleList"), StyleName(unusual));
        EXPECT_EQ(dialog.chosen().face, family);
        EXPECT_EQ(dialog.chosen().weight, unusual.weight);
        EXPECT_EQ(dialog.chosen().italic, unusual.italic);
        ClickCancel(dialog);
    });
}

TEST_F(FontChooserTest, ProofQualityStylePresetsRegularAndOkStoresZero) {
    useFont(u"Courier", 12, ProofQuality, 0);
    ChooseWith([](FontChooserDialog& dialog) {
        EXPECT_EQ(PartOf<QLineEdit>(dialog, "styleEdit")->text(), Utf16(u"Обычный"));
        EXPECT_EQ(dialog.chosen().weight, 400);
        EXPECT_FALSE(dialog.chosen().italic);
        ClickOk(dialog);
    });
    EXPECT_EQ(terminal.Font.Style, 0);
}

TEST_F(FontChooserTest, AutomaticColourPresetsBlack) {
    useFont(u"Courier", 12, 0, kAutomaticColour);
    ChooseWith([](FontChooserDialog& dialog) {
        EXPECT_EQ(PartOf<QComboBox>(dialog, "color")->currentText(), Utf16(u"Чёрный"));
        EXPECT_EQ(dialog.chosen().color, QColor(Qt::black));
        ClickOk(dialog);
    });
    EXPECT_EQ(terminal.Font.Color, 0);
}

TEST_F(FontChooserTest, ChosenEffectsReachTheSettingsAndBothTextControls) {
    useFont(u"Courier", 12, 0, kAutomaticColour);
    QString face;
    ChooseWith([&](FontChooserDialog& dialog) {
        auto* faces = PartOf<QListWidget>(dialog, "faceList");
        ASSERT_GT(faces->count(), 0);
        face = faces->item(faces->count() - 1)->text();
        ClickItem(faces, face);
        ClickItem(PartOf<QListWidget>(dialog, "styleList"), Utf16(u"Жирный курсив"));
        ClickItem(PartOf<QListWidget>(dialog, "sizeList"), QStringLiteral("14"));
        QTest::mouseClick(PartOf<QCheckBox>(dialog, "underline"), Qt::LeftButton);
        QTest::mouseClick(PartOf<QCheckBox>(dialog, "strikeOut"), Qt::LeftButton);
        PartOf<QComboBox>(dialog, "color")->setCurrentText(Utf16(u"Сине-зелёный"));
        ClickOk(dialog);
    });

    EXPECT_EQ(ToQString(terminal.Font.Name), face);
    EXPECT_EQ(terminal.Font.Size, 14);
    EXPECT_EQ(terminal.Font.Style, Bold | Italic | Underline | StrikeOut);
    EXPECT_EQ(terminal.Font.Color, 0x808000); // teal: green and blue 128
    for (ControlId id : {ReceiveView, SendEditor}) {
        const QFont font = fontOf(id);
        EXPECT_EQ(font.family(), face) << id;
        EXPECT_EQ(font.pixelSize(), FontPixelHeight(14)) << id;
        EXPECT_EQ(font.weight(), QFont::Bold) << id;
        EXPECT_TRUE(font.italic() && font.underline() && font.strikeOut()) << id;
        EXPECT_EQ(colorOf(id), QColor(0, 128, 128)) << id;
    }
}

// Measured on what the text controls and the sample draw, after the desktop's palette changed
// under the colours already applied.
TEST_F(FontChooserTest, TextSelectionAndCaretReadOnDarkAndLightDesktops) {
    struct PaletteKept {
        QPalette palette = QApplication::palette();
        ~PaletteKept() { QApplication::setPalette(palette); }
    } kept;
    const struct {
        Desktop desktop;
        int32_t color;
        QRgb background;
        double textContrast; // the least the text reaches; the sample shows automatic as black
    } rows[] = {
        {kAdwaitaDarkLike, kAutomaticColour, kAdwaitaDarkLike[1], kTextContrast},
        {kAdwaitaDarkLike, 0, 0xFFFFFF, kTextContrast},
        {kDarkerLike, kAutomaticColour, kDarkerLike[1], kTextContrast},
        {kDarkerLike, 0, 0xFFFFFF, kTextContrast},
        {kLight, 0x00FFFF, 0x000000, kTextContrast}, // yellow, on neither base nor white
        {kGrey, kAutomaticColour, kGrey[1], kTextContrast},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.desktop[1]) + " " + std::to_string(row.color));
        useFont(u"DejaVu Sans Mono", 14, Bold, row.color);
        ShowAndActivate(); // again after the chooser, as a desktop would
        QApplication::setPalette(PaletteOf(row.desktop));
        QApplication::processEvents(); // the window passes the change on to its controls
        for (ControlId id : {ReceiveView, SendEditor}) {
            QWidget* viewport = static_cast<QAbstractScrollArea*>(control(id))->viewport();
            control(FontButton)->setFocus();
            SetText(id, "MMMM####");
            const QImage text = viewport->grab().toImage();
            EXPECT_EQ(text.pixel(viewport->width() - 2, viewport->height() - 2),
                      row.background | 0xFF000000u);
            EXPECT_GE(DrawnContrast(text, row.background), row.textContrast) << id;
            id == ReceiveView ? static_cast<ReceiveViewWidget*>(control(id))->selectAll()
                              : window()->sendEditor()->selectAll();
            const QRgb fill = control(id)->palette().color(QPalette::Highlight).rgb();
            EXPECT_GE(DrawnContrast(viewport->grab().toImage(), fill), kTextContrast) << id;
            SetText(id, "");
            control(id)->setFocus();
            EXPECT_GE(DrawnContrast(viewport->grab().toImage(), row.background), kCaretContrast)
                << id;
        }
        ChooseWith([&](FontChooserDialog& dialog) {
            auto* sample = PartOf<QLabel>(dialog, "sample");
            const QImage drawn = sample->grab(sample->contentsRect()).toImage();
            EXPECT_GE(DrawnContrast(drawn, drawn.pixel(1, 1)), row.textContrast);
            ClickCancel(dialog);
        });
    }
}

TEST_F(FontChooserTest, TypedFaceIsStoredAsWindows1251CutTo31Characters) {
    useFont(u"Courier", 12, 0, 0);
    const QString typed = Utf16(u"Ёлочный гротеск с длинным-предлинным именем");
    ChooseWith([&](FontChooserDialog& dialog) {
        QLineEdit* face = PartOf<QLineEdit>(dialog, "faceEdit");
        face->selectAll();
        Type(face, typed);
        EXPECT_EQ(dialog.chosen().face, typed);
        ClickOk(dialog);
    });
    EXPECT_EQ(terminal.Font.Name, FromQString(typed.left(31)));
}
