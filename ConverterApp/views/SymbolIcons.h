// The small line icons of the sidebar, the toolbar and the drop zone, drawn with QPainter
// so that they look the same whatever icon theme the desktop has (or none). Each symbol is
// drawn on a 16-unit grid scaled to the requested size, in the given colour; the filled
// status marks (warning, checkmark) draw their inner glyph in a second colour.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace SymbolIcons {

enum class Symbol {
    document,      // a page with a folded corner and text lines (PDFs)
    photo,         // a framed picture with a hill and the sun (images)
    warning,       // a filled triangle with an exclamation mark
    checkmark,     // a filled circle with a check
    tray,          // an empty in-tray
    plus,
    play,
    stop,
    share,         // a box with an arrow leaving it upwards (export)
    scanText,      // viewfinder corners around text lines (scan language)
    scanDocument,  // viewfinder corners around a page (the drop zone)
};

// The symbol at `size` × `size` device-independent pixels for `devicePixelRatio`; `inner`
// is the glyph colour inside the filled marks.
QPixmap pixmap(Symbol symbol, int size, const QColor& color, double devicePixelRatio = 1.0,
               const QColor& inner = Qt::white);
// The symbol as an icon with pixmaps for the usual sizes, a greyed disabled form included.
QIcon icon(Symbol symbol, const QColor& color);

}  // namespace SymbolIcons
