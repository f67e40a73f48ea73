#include "RegionLink.h"

void RegionLink::enter(int id) {
    if (hovered_ == id) return;
    hovered_ = id;
    emit hoveredChanged();
}

void RegionLink::leave(int id) {
    if (hovered_ != id) return;
    hovered_.reset();
    emit hoveredChanged();
}

void RegionLink::select(int id) {
    if (selected_ == id) return;
    selected_ = id;
    emit selectedChanged();
}

void RegionLink::clear() {
    const bool hadHover = hovered_.has_value();
    const bool hadSelection = selected_.has_value();
    hovered_.reset();
    selected_.reset();
    if (hadHover) emit hoveredChanged();
    if (hadSelection) emit selectedChanged();
}
