#include "models/TableModels.h"

#include "models/ModelStore.h"

namespace ce {

TableModels TableModels::load(const std::filesystem::path& modelDirectory, ComputeUnits computeUnits,
                             const ModelRuntime& runtime) {
    TableModels models;
    models.encoder = ModelStore::load("TableEncoder", modelDirectory, computeUnits, runtime);
    models.step = ModelStore::load("TableDecoderStep", modelDirectory, computeUnits, runtime);
    models.head = ModelStore::load("TableCellHead", modelDirectory, computeUnits, runtime);
    return models;
}

}  // namespace ce
