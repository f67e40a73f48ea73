#include "models/ModelSet.h"

namespace ce {

ModelSet::ModelSet(ModelLocation location, ComputeUnits computeUnits, ModelRuntime runtime)
    : location_(std::move(location)), computeUnits_(computeUnits), runtime_(std::move(runtime)) {}

LayoutDetector& ModelSet::layoutDetectorLocked() {
    if (!layoutDetector_) layoutDetector_ = std::make_unique<LayoutDetector>(location_.url(), computeUnits_, runtime_);
    return *layoutDetector_;
}

const TableFormer& ModelSet::tableFormerLocked() {
    if (!tableFormer_) tableFormer_ = std::make_unique<TableFormer>(TableModels::load(location_.url(), computeUnits_, runtime_));
    return *tableFormer_;
}

void ModelSet::preload() {
    {
        std::lock_guard lock(layoutLock_);
        layoutDetectorLocked();
    }
    std::lock_guard lock(tableLock_);
    tableFormerLocked();
}

bool ModelSet::hasLayoutDetector() {
    std::lock_guard lock(layoutLock_);
    return layoutDetector_ != nullptr;
}

bool ModelSet::hasTableFormer() {
    std::lock_guard lock(tableLock_);
    return tableFormer_ != nullptr;
}

}  // namespace ce
