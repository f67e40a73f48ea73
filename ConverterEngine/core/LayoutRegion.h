// A detected region as shown to the user: one per top-level final cluster.
#pragma once

#include "core/BBox.h"
#include "core/DocLabel.h"

namespace ce {

struct LayoutRegion {
    int id = 0;
    DocLabel label = DocLabel::text;
    BBox bbox;
    double confidence = 0;

    bool operator==(const LayoutRegion&) const = default;
};

}  // namespace ce
