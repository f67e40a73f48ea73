// The models shared by every conversion of the process, each loaded once on first
// use or by preload(). `layoutLock` guards the layout detector, its creation and
// every detection; `tableLock` guards the table models, their creation and every
// table prediction. No code path holds both, so one page's layout may run beside
// another page's tables. A stored model is never replaced; a failed load leaves
// the slot empty so that a later call tries again.
#pragma once

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include "core/ComputeUnits.h"
#include "models/LayoutDetector.h"
#include "models/ModelLocation.h"
#include "models/ModelRuntime.h"
#include "models/TableFormer.h"

namespace ce {

class ModelSet {
public:
    static constexpr std::array<std::string_view, 4> names = {"LayoutDetector", "TableEncoder",
                                                              "TableDecoderStep", "TableCellHead"};

    // Stores the location, compute units and the runtime models are loaded with;
    // touches no file.
    ModelSet(ModelLocation location, ComputeUnits computeUnits, ModelRuntime runtime);
    ModelSet(const ModelSet&) = delete;
    ModelSet& operator=(const ModelSet&) = delete;

    const ModelLocation& location() const { return location_; }
    ComputeUnits computeUnits() const { return computeUnits_; }

    // Loads the layout detector (under layoutLock), then the table models (under
    // tableLock), each only when not loaded yet. A layout failure is thrown before
    // the table models are tried.
    void preload();

    // Runs `use(LayoutDetector&)` under layoutLock, loading the detector first when
    // the set has none; returns what `use` returns. Load and use errors propagate.
    template <class Use>
    decltype(auto) withLayoutDetector(Use&& use) {
        std::lock_guard lock(layoutLock_);
        return std::forward<Use>(use)(layoutDetectorLocked());
    }

    // Runs `use(const TableFormer&)` under tableLock, loading the three table models
    // first when the set has none.
    template <class Use>
    decltype(auto) withTableFormer(Use&& use) {
        std::lock_guard lock(tableLock_);
        return std::forward<Use>(use)(tableFormerLocked());
    }

    bool hasLayoutDetector();
    bool hasTableFormer();

private:
    LayoutDetector& layoutDetectorLocked();
    const TableFormer& tableFormerLocked();

    const ModelLocation location_;
    const ComputeUnits computeUnits_;
    const ModelRuntime runtime_;
    std::mutex layoutLock_;
    std::mutex tableLock_;
    std::unique_ptr<LayoutDetector> layoutDetector_;  // guarded by layoutLock_
    std::unique_ptr<TableFormer> tableFormer_;        // guarded by tableLock_
};

}  // namespace ce
