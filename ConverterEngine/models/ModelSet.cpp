#include "models/ModelSet.h"

namespace ce {

ModelSet::ModelSet(ModelLocation location, ComputeUnits computeUnits)
    : location_(std::move(location)), computeUnits_(computeUnits) {}

LayoutDetector& ModelSet::layoutDetectorLocked() {
    if (!layoutDetector_) layoutDetector_ = std::make_unique<LayoutDetector>(location_.url(), computeUnits_);
    return *layoutDetector_;
}

const TableModels& ModelSet::tableModelsLocked() {
    if (!tableModels_) tableModels_ = TableModels::load(location_.url(), computeUnits_);
    return *tableModels_;
}

void ModelSet::preload() {
    {
        std::lock_guard lock(layoutLock_);
        layoutDetectorLocked();
    }
    std::lock_guard lock(tableLock_);
    tableModelsLocked();
}

bool ModelSet::hasLayoutDetector() {
    std::lock_guard lock(layoutLock_);
    return layoutDetector_ != nullptr;
}

bool ModelSet::hasTableModels() {
    std::lock_guard lock(tableLock_);
    return tableModels_.has_value();
}

}  // namespace ce
