#include <functional>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "shared/TerminalState.h"
#include "ui/Appearance.h"
#include "ui/qt/FontChooserDialog.h"
#include "ui/qt/ModalDialogGuard.h"
#include "ui/qt/QtText.h"
#include "ui/qt/TextFont.h"
#include "support/qt/WindowFixture.h"

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
    showAndActivate();
    ApplyStayOnTop(true);
    for (auto close : {ClickOk, ClickCancel}) {
        // The offscreen platform activates no window when a dialog closes; a desktop would.
        QApplication::setActiveWindow(window());
        ChooseWith([&](FontChooserDialog& dialog) {
            EXPECT_TRUE(dialog.isModal());
            EXPECT_EQ(dialog.parentWidget(), window()) << "owned by the foreground window";
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
    useFont(u"Courier", 12, 0, -1);
    ChooseWith([](FontChooserDialog& dialog) {
        EXPECT_EQ(PartOf<QComboBox>(dialog, "color")->currentText(), Utf16(u"Чёрный"));
        EXPECT_EQ(dialog.chosen().color, QColor(Qt::black));
        ClickOk(dialog);
    });
    EXPECT_EQ(terminal.Font.Color, 0);
}

TEST_F(FontChooserTest, ChosenEffectsReachTheSettingsAndBothTextControls) {
    useFont(u"Courier", 12, 0, -1);
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
