#include "ui/qt/TextColours.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include "ui/Contrast.h"

namespace {

constexpr QPalette::ColorGroup kGroups[] = {QPalette::Active, QPalette::Inactive};
constexpr QPalette::ColorRole kRoles[] = {QPalette::Text, QPalette::Base,
                                          QPalette::HighlightedText};

Rgb ToRgb(const QColor& color) {
    const QRgb rgb = color.rgb();
    return {static_cast<std::uint8_t>(qRed(rgb)), static_cast<std::uint8_t>(qGreen(rgb)),
            static_cast<std::uint8_t>(qBlue(rgb))};
}

QColor ToQColor(Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

bool ShowsTextPalette(const QPalette& current, const QPalette& wanted) {
    for (QPalette::ColorGroup group : kGroups) {
        for (QPalette::ColorRole role : kRoles) {
            if (current.color(group, role) != wanted.color(group, role))
                return false;
        }
    }
    return true;
}

// The control's own colours, worked out from the desktop's palette.
QPalette TextPalette(const QPalette& desktop, const QColor& text) {
    QPalette palette = desktop;
    palette.setResolveMask(0); // the colours set below are the control's own, the rest inherited
    for (QPalette::ColorGroup group : kGroups) {
        const Rgb base = ToRgb(desktop.color(group, QPalette::Base));
        const Rgb shown = ToRgb(text.isValid() ? text : desktop.color(group, QPalette::Text));
        palette.setColor(group, QPalette::Text, ToQColor(shown));
        palette.setColor(group, QPalette::Base,
                         ToQColor(text.isValid() ? BackgroundForText(shown, base) : base));
        const Rgb selectedText =
            ColorOnBackground(ToRgb(desktop.color(group, QPalette::HighlightedText)),
                              ToRgb(desktop.color(group, QPalette::Highlight)), kTextContrast);
        palette.setColor(group, QPalette::HighlightedText, ToQColor(selectedText));
    }
    return palette;
}

// Lives as a child of its control and watches it for the desktop's palette changes. Setting
// the control's palette raises a palette change too, which then finds nothing to do.
class PaletteFollower : public QObject {
  public:
    static constexpr const char* kName = "desktopPaletteFollower";

    explicit PaletteFollower(QWidget* control) : QObject(control), control_(control) {
        setObjectName(QLatin1String(kName));
        control->installEventFilter(this);
    }

    void follow(const QColor& text) {
        text_ = text;
        apply();
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::ApplicationPaletteChange ||
            event->type() == QEvent::PaletteChange)
            apply();
        return false;
    }

  private:
    void apply() {
        const QPalette wanted = TextPalette(QApplication::palette(control_), text_);
        if (!ShowsTextPalette(control_->palette(), wanted))
            control_->setPalette(wanted);
    }

    QWidget* control_;
    QColor text_;
};

} // namespace

void FollowDesktopPalette(QWidget* control, const QColor& text) {
    auto* follower = static_cast<PaletteFollower*>(control->findChild<QObject*>(
        QLatin1String(PaletteFollower::kName), Qt::FindDirectChildrenOnly));
    if (!follower)
        follower = new PaletteFollower(control);
    follower->follow(text);
}

QColor CaretColor(const QPalette& palette) {
    return ToQColor(ColorOnBackground(ToRgb(palette.color(QPalette::Text)),
                                      ToRgb(palette.color(QPalette::Base)), kCaretContrast));
}
