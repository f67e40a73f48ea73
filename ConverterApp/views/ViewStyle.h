// The one table of text styles and colours the views use, so that the window looks
// the same under any desktop theme: fonts are pinned to one family with sizes in
// device-independent pixels, colours are fixed values rather than the theme's
// palette, and `applyTo` pins the Fusion style and a light palette for the whole
// application.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QStyle>

class QApplication;
class QLabel;
class QPushButton;
class QWidget;

namespace ViewStyle {

enum class TextStyle { title, title2, title3, body, callout, footnote, caption };

enum class SystemColor { pink, indigo, teal, gray, green, purple, orange, blue, brown };

inline constexpr const char* sansFamily = "Liberation Sans";
inline constexpr const char* monoFamily = "Liberation Mono";

QFont font(TextStyle style, QFont::Weight weight = QFont::Normal);
QFont monospaced(TextStyle style);

QColor color(SystemColor color);
QColor secondaryText();     // secondary labels: black at half opacity
QColor quaternaryFill();    // faint fills and strokes
QColor separator();         // dividers
QColor textBackground();    // the page-like background of text
QColor underPageBackground();  // the backdrop behind pages and sheets
QColor inactiveSelection();    // selected rows of a window in the background

// A colour with its alpha set to `opacity` (0 to 1).
QColor withOpacity(QColor color, double opacity);

// An icon of the Fusion style's own set, which exists whatever icon theme is installed.
QIcon standardIcon(QStyle::StandardPixmap pixmap);

// A chevron pointing left or right, drawn here so it never depends on an icon theme.
QIcon chevronIcon(bool left);

// Fusion style with a grey scroll-bar handle and no icons on dialog buttons (a message
// box's OK looks like any other button of the window), a light palette from the colours
// above and the body font.
void applyTo(QApplication& app);

// The prominent look of the one main action of a pane: filled with the accent colour,
// white text; grey while disabled. `prominent` false gives the plain button back.
void setProminent(QPushButton& button, bool prominent);

// A centred, wrapping label that shows its text as plain text, in the given font and colour.
QLabel* centredPlainLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent);

}  // namespace ViewStyle
