#include "ViewStyle.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QProxyStyle>
#include <QStyleOptionSlider>
#include <QStyleFactory>

namespace ViewStyle {

namespace {

int pixelSize(TextStyle style) {
    switch (style) {
    case TextStyle::title: return 22;
    case TextStyle::title2: return 17;
    case TextStyle::title3: return 15;
    case TextStyle::body: return 13;
    case TextStyle::callout: return 12;
    case TextStyle::footnote: return 10;
    case TextStyle::caption: return 10;
    }
    return 13;
}

// Fusion, with a grey scroll-bar handle (Fusion's own is white on a near-white groove and
// hard to find over a page) and without the standard icons Fusion puts on the buttons of a
// dialog's button box, which only standard buttons such as OK would get. A push button
// keeps at least `buttonTextInset` pixels on either side of its label: Fusion's own margin
// leaves a long label such as "Show in File Manager" touching the frame. The focus frame of
// a control reached with the keyboard is an accent ring (Fusion's own is a faint tint that
// is hard to see on the light toolbar).
class AppStyle : public QProxyStyle {
public:
    AppStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contentsSize,
                           const QWidget* widget) const override {
        QSize size = QProxyStyle::sizeFromContents(type, option, contentsSize, widget);
        if (type == CT_PushButton) size.setWidth(std::max(size.width(), contentsSize.width() + 2 * buttonTextInset));
        return size;
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element != PE_FrameFocusRect) return QProxyStyle::drawPrimitive(element, option, painter, widget);
        if (!(option->state & State_KeyboardFocusChange)) return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(option->palette.color(QPalette::Active, QPalette::Highlight), focusRingWidth));
        painter->setBrush(Qt::NoBrush);
        const double inset = focusRingWidth / 2;
        painter->drawRoundedRect(QRectF(option->rect).adjusted(inset, inset, -inset, -inset), 3, 3);
        painter->restore();
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
        if (control != CC_ScrollBar || !bar || !(bar->subControls & SC_ScrollBarSlider)) return;
        const QRect slider = subControlRect(control, option, SC_ScrollBarSlider, widget);
        if (slider.isEmpty()) return;
        const QRect groove = subControlRect(control, option, SC_ScrollBarGroove, widget);
        painter->save();
        painter->fillRect(slider.intersected(groove), grooveColor);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        const bool active = bar->activeSubControls & SC_ScrollBarSlider;
        painter->setBrush(QColor(0, 0, 0, active ? 130 : 90));
        painter->drawRoundedRect(QRectF(slider).adjusted(2.5, 2.5, -2.5, -2.5), 3, 3);
        painter->restore();
    }

private:
    static constexpr QColor grooveColor{243, 243, 243};
    static constexpr int buttonTextInset = 12;
    static constexpr double focusRingWidth = 2;
};

}  // namespace

QFont font(TextStyle style, QFont::Weight weight) {
    QFont f(QString::fromLatin1(sansFamily));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize(style));
    f.setWeight(weight);
    return f;
}

QFont monospaced(TextStyle style) {
    QFont f(QString::fromLatin1(monoFamily));
    f.setStyleHint(QFont::Monospace);
    f.setFixedPitch(true);
    f.setPixelSize(pixelSize(style));
    return f;
}

QColor color(SystemColor c) {
    switch (c) {
    case SystemColor::pink: return QColor(255, 45, 85);
    case SystemColor::indigo: return QColor(88, 86, 214);
    case SystemColor::teal: return QColor(48, 176, 199);
    case SystemColor::gray: return QColor(142, 142, 147);
    case SystemColor::green: return QColor(40, 205, 65);
    case SystemColor::purple: return QColor(175, 82, 222);
    case SystemColor::orange: return QColor(255, 149, 0);
    case SystemColor::blue: return QColor(0, 122, 255);
    case SystemColor::brown: return QColor(162, 132, 94);
    }
    return Qt::gray;
}

QColor secondaryText() { return QColor(0, 0, 0, 128); }
QColor quaternaryFill() { return QColor(0, 0, 0, 26); }
QColor separator() { return QColor(0, 0, 0, 40); }
QColor textBackground() { return Qt::white; }
QColor underPageBackground() { return QColor(226, 226, 228); }
QColor inactiveSelection() { return QColor(220, 220, 222); }

QColor withOpacity(QColor c, double opacity) {
    // Opacity scales the colour's own alpha, so a translucent style colour stays lighter than an opaque one.
    c.setAlphaF(static_cast<float>(c.alphaF() * opacity));
    return c;
}

QIcon standardIcon(QStyle::StandardPixmap pixmap) {
    static QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"));
    return fusion ? fusion->standardIcon(pixmap) : QIcon();
}

QIcon chevronIcon(bool left) {
    QIcon icon;
    for (auto [mode, colour] : {std::pair{QIcon::Normal, QColor(40, 40, 40)}, std::pair{QIcon::Disabled, QColor(0, 0, 0, 70)}}) {
        for (int scale : {1, 2}) {
            QPixmap pixmap(16 * scale, 16 * scale);
            pixmap.setDevicePixelRatio(scale);
            pixmap.fill(Qt::transparent);
            QPainter p(&pixmap);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            const double x0 = left ? 10 : 6;
            const double x1 = left ? 5.5 : 10.5;
            p.drawPolyline(QPolygonF({QPointF(x0, 3.5), QPointF(x1, 8), QPointF(x0, 12.5)}));
            p.end();
            icon.addPixmap(pixmap, mode);
        }
    }
    return icon;
}

void applyTo(QApplication& app) {
    app.setStyle(new AppStyle);
    QPalette p;
    p.setColor(QPalette::Window, QColor(246, 246, 246));
    p.setColor(QPalette::WindowText, Qt::black);
    p.setColor(QPalette::Base, textBackground());
    p.setColor(QPalette::AlternateBase, QColor(244, 244, 244));
    p.setColor(QPalette::Text, Qt::black);
    p.setColor(QPalette::Button, QColor(252, 252, 252));
    p.setColor(QPalette::ButtonText, Qt::black);
    p.setColor(QPalette::Highlight, color(SystemColor::blue));
    p.setColor(QPalette::HighlightedText, Qt::white);
    // The selection of a window in the background turns grey and keeps the normal text
    // colours, which the rows use there (only an active window's selection is an accent).
    p.setColor(QPalette::Inactive, QPalette::Highlight, inactiveSelection());
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
    p.setColor(QPalette::ToolTipBase, QColor(255, 255, 240));
    p.setColor(QPalette::ToolTipText, Qt::black);
    p.setColor(QPalette::PlaceholderText, secondaryText());
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0, 0, 0, 90));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0, 0, 0, 90));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0, 0, 0, 90));
    app.setPalette(p);
    app.setFont(font(TextStyle::body));
}

void setProminent(QPushButton& button, bool prominent) {
    if (!prominent) {
        button.setStyleSheet(QString());
        return;
    }
    const QColor accent = color(SystemColor::blue);
    button.setStyleSheet(
        QStringLiteral("QPushButton { background: %1; color: #ffffff; border: 1px solid %2; border-radius: 5px; "
                       "padding: 3px 14px; }"
                       "QPushButton:pressed { background: %2; }"
                       // Focus darkens the frame, as an accent ring would not show on the accent fill.
                       "QPushButton:focus { border: 2px solid %3; padding: 2px 13px; }"
                       "QPushButton:disabled { background: #e4e4e6; color: rgba(0, 0, 0, 90); border-color: #d2d2d6; }")
            .arg(accent.name(), accent.darker(120).name(), accent.darker(250).name()));
}

QLabel* centredPlainLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignHCenter);
    label->setWordWrap(true);
    label->setFont(font);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
    return label;
}

}  // namespace ViewStyle
