#include "models/TableModels.h"

#include "models/ModelStore.h"

namespace ce {

TableModels TableModels::load(const std::filesystem::path& modelDirectory, ComputeUnits computeUnits) {
    TableModels models;
    models.encoder = ModelStore::load("TableEncoder", modelDirectory, computeUnits);
    models.step = ModelStore::load("TableDecoderStep", modelDirectory, computeUnits);
    models.head = ModelStore::load("TableCellHead", modelDirectory, computeUnits);
    return models;
}

}  // namespace ce
