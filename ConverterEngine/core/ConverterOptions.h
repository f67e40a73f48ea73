// The per-page pipeline options (Converter::Options). Kept apart from the
// converter so that the request types can embed them without pulling in the pipeline.
#pragma once

#include "core/ComputeUnits.h"

namespace ce {

// Which recognised text cells feed table matching.
enum class TableTokens { lines, words, segments };

struct ConverterOptions {
    TableTokens ocrTableTokens = TableTokens::segments;
    double ocrSegmentGap = 0.3;
    double ocrMaxUpscale = 3.0;
    bool ocrEmptyCells = true;   // read empty table cells by strip recognition (recognised pages)
    double pictureScale = 2.0;   // pixels per point of picture crops; 0 = no crops
    bool forceOCR = false;       // ignore the text layer
    double deskewMin = 0.4;      // degrees; 0 or less disables deskewing
    double deskewMax = 15.0;     // degrees
    ComputeUnits computeUnits = ComputeUnits::all;
};

}  // namespace ce
