#include "SettingsFixture.h"

#include <algorithm>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QSpinBox>
#include <QTest>

#include "app/EventLoop.h"
#include "app/Startup.h"
#include "shared/TerminalState.h"
#include "support/qt/WindowFixture.h"
#include "terminal/SettingsStore.h"
#include "ui/qt/ModalDialogGuard.h"
#include "ui/qt/QtText.h"
#include "ui/qt/TextFont.h"

namespace {

const char* const kSettingsFile = "Setting.ini";

// How near the image comes to the colour: the smallest largest-channel difference of a pixel.
int Nearest(const QImage& image, const QColor& color) {
    int nearest = 255;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            nearest = std::min(nearest, std::max({std::abs(pixel.red() - color.red()),
                                                  std::abs(pixel.green() - color.green()),
                                                  std::abs(pixel.blue() - color.blue())}));
        }
    }
    return nearest;
}

} // namespace

std::string WithLineEnds(std::string_view text, std::string_view lineEnd) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, 2) == "\r\n") {
            result += lineEnd;
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

void SettingsTest::SetUp() {
    dir = scratch_.emplace().path();
    terminal = TerminalState{};
}

void SettingsTest::TearDown() {
    if (TheMainWindow())
        DestroyMainWindow();
    scratch_.reset();
}

void SettingsTest::WriteSettingsFile(std::string_view bytes) {
    WriteBytes(kSettingsFile, bytes);
}

std::string SettingsTest::SettingsFileBytes() const {
    return ReadBytes(kSettingsFile);
}

void SettingsTest::Start() {
    terminal = TerminalState{};
    CreateMainWindow();
    SetUpControls();
    LoadSettings();
}

void SettingsTest::StartWith(std::string_view fileBytes) {
    WriteSettingsFile(fileBytes);
    Start();
}

std::string SettingsTest::Exit() {
    SaveSettings();
    DestroyMainWindow();
    return SettingsFileBytes();
}

void SettingsTest::ShowAndActivate() {
    ASSERT_NO_FATAL_FAILURE(ShowAndActivateMainWindow());
    RunLoopActions();
}

void SettingsTest::RunLoopActions() {
    QApplication::processEvents();
    for (const WindowEvent& event : TakePendingEvents())
        RunLoopAction(event);
}

void SettingsTest::ExpectShown(const StoredSettings& v) {
    const WindowPlacement placement = GetWindowPlacement();
    EXPECT_EQ(placement.x, v.x);
    EXPECT_EQ(placement.y, v.y);
    EXPECT_EQ(placement.width, v.w);
    EXPECT_EQ(placement.height, v.h);

    EXPECT_EQ(GetText(PortCombo), v.Port);
    EXPECT_EQ(window()->combo(PortCombo)->currentIndex() == -1, v.Port.empty());
    EXPECT_EQ(GetText(BaudCombo), v.Bauds);

    EXPECT_EQ(terminal.InputMode, v.InMode);
    EXPECT_EQ(IsChecked(HexOption), v.InMode == 0);
    EXPECT_EQ(IsChecked(CharOption), v.InMode == 1);
    EXPECT_EQ(IsChecked(BinOption), v.InMode == 2);

    const bool onTop = v.WinState & 1;
    EXPECT_EQ(IsStayingOnTop(window()), onTop);
    EXPECT_EQ(IsChecked(OnTopCheck), onTop);

    EXPECT_EQ(GetSplitterPosition(), v.Pos);
    EXPECT_EQ(control(ReceiveView)->height(), v.Pos);

    EXPECT_EQ(IsChecked(LogCheck), bool(v.Log & 1));
    EXPECT_EQ(terminal.LogFlag, v.Log & 1);
    EXPECT_EQ(IsChecked(NewDateCheck), bool(v.nLog & 1));
    EXPECT_EQ(terminal.NewLogPerConnectionFlag, v.nLog & 1);
    EXPECT_EQ(IsChecked(AutoConnectCheck), bool(v.AutoConnect & 1));
    EXPECT_EQ(terminal.AutoConnectFlag, v.AutoConnect & 1);

    const int alpha = v.Transparent & 0xFF;
    EXPECT_EQ(qRound(window()->windowOpacity() * 255), alpha);
    EXPECT_EQ(window()->spin()->value(), std::clamp(alpha, 20, 255));

    EXPECT_EQ(terminal.Font.Name, v.Name);
    EXPECT_EQ(terminal.Font.Size, v.Size);
    EXPECT_EQ(terminal.Font.Style, v.Style);
    EXPECT_EQ(terminal.Font.Color, v.Color);
    const QColor automatic = QApplication::palette().color(QPalette::Text);
    const QColor color =
        v.Color == -1 ? automatic
                      : QColor(v.Color & 0xFF, (v.Color >> 8) & 0xFF, (v.Color >> 16) & 0xFF);
    for (ControlId id : {ReceiveView, SendEditor}) {
        SCOPED_TRACE(id);
        const QFont font = control(id)->font();
        if (!v.Name.empty()) {
            EXPECT_EQ(font.family(), ToQString(v.Name));
        }
        if (v.Size > 0) {
            EXPECT_EQ(font.pixelSize(), FontPixelHeight(v.Size));
        }
        if (v.Size < 0) {
            // The largest size whose cell (ascent plus descent) is no taller than asked.
            const int cell = -FontPixelHeight(v.Size);
            QFont larger = font;
            larger.setPixelSize(font.pixelSize() + 1);
            EXPECT_LE(QFontMetrics(font).height(), cell);
            EXPECT_GT(QFontMetrics(larger).height(), cell);
        }
        EXPECT_EQ(font.bold(), bool(v.Style & Bold));
        EXPECT_EQ(font.italic(), bool(v.Style & Italic));
        EXPECT_EQ(font.underline(), bool(v.Style & Underline));
        EXPECT_EQ(font.strikeOut(), bool(v.Style & StrikeOut));
        EXPECT_TRUE(DrawsTextIn(id, color)) << color.name().toStdString();
    }
}

bool SettingsTest::DrawsTextIn(ControlId id, const QColor& color) {
    const QString text = QStringLiteral("MMMM####");
    SetText(id, FromQString(text));
    QApplication::processEvents();
    const QImage drawn = control(id)->grab().toImage();
    QImage reference(drawn.size(), QImage::Format_RGB32);
    reference.fill(control(id)->palette().color(QPalette::Base));
    QPainter painter(&reference);
    painter.setFont(control(id)->font());
    painter.setPen(color);
    painter.drawText(reference.rect(), Qt::AlignCenter, text);
    painter.end();
    // Glyphs standing at other fractions of a pixel may come a few levels less near.
    constexpr int kPlacementTolerance = 16;
    return Nearest(drawn, color) <= Nearest(reference, color) + kPlacementTolerance;
}
