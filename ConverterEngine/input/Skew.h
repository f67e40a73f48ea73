// The skew of a recognised page: the median angle of its long lines, trusted only
// when enough lines agree (VisionOCR's skewMinAspect, skewMinLines, skewMaxSpread).
// Stateless; safe from any thread.
#pragma once

#include <optional>
#include <vector>

#include "input/TextRecognizer.h"

namespace ce::Skew {

// The angle in degrees of a line's top edge on a width x height image (positive when
// it rises to the right); none unless the outline is at least skewMinAspect times as
// long as high and has a positive height.
std::optional<double> lineAngle(const TextQuad& quad, int width, int height);

// The median line angle (the upper middle value for an even count) when at least
// skewMinLines lines qualify and the spread between the quartiles is at most
// skewMaxSpread degrees; none otherwise.
std::optional<double> estimate(const std::vector<RecognizedLine>& lines, int width, int height);

}  // namespace ce::Skew
