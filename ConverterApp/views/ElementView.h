// The widget for one output element of the rendered view, by kind: headings, text,
// captions and footnotes, list rows with their label, tables as a scrolling grid,
// pictures from the page's crops (or their placeholder), formulas, code blocks and
// checkboxes. Texts are plain text, selectable, never interpreted as markup.
#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "EngineTypes.h"

namespace ElementView {

inline constexpr double maxPictureWidth = 520;

// The widest a picture is shown: 1.5 times its box width, at most 520 points.
double pictureMaxWidth(const ce::DocElement& element);

QWidget* make(const ce::DocElement& element, const ce::ConvertedPage& page, const std::optional<std::string>& listLabel,
              QWidget* parent);

}  // namespace ElementView
