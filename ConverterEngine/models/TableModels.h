// The three loaded parts of the table-structure model, "TableEncoder",
// "TableDecoderStep" and "TableCellHead". Immutable once loaded; the table
// recogniser reads them (and the step model's "word_map_tag" metadata) and the
// model set serialises their use under its table lock.
#pragma once

#include <filesystem>
#include <memory>

#include "core/ComputeUnits.h"
#include "models/Model.h"
#include "models/ModelRuntime.h"

namespace ce {

struct TableModels {
    std::shared_ptr<const Model> encoder;
    std::shared_ptr<const Model> step;
    std::shared_ptr<const Model> head;

    // Loads the three models in the order encoder, step, head through ModelStore::load;
    // the first error is rethrown as it is.
    static TableModels load(const std::filesystem::path& modelDirectory, ComputeUnits computeUnits,
                            const ModelRuntime& runtime);
};

}  // namespace ce
