#include <cmath>
#include <cstdlib>
#include <limits>
#include <thread>
#include <fstream>

#include <gtest/gtest.h>
#include <sys/time.h>

#include "core/EngineError.h"
#include "models/ModelSet.h"
#include "models/ModelStore.h"
#include "models/ModelTestSupport.h"
#include "models/MultiArray.h"
#include "pipeline/PlatformServices.h"
#include "platform/TorchModel.h"
#include "testsupport/StandInModels.h"

namespace ce {
namespace {

using testing::ScratchModelsTest;

// A layout stand-in with 2 queries whose first logit marks which copy of the model ran.
std::filesystem::path writeMarkedLayout(const std::filesystem::path& folder, float marker) {
    StandInModels::LayoutOptions options;
    options.queries = 2;
    options.logits.assign(2 * 17, -10.0f);
    options.logits[0] = marker;
    return StandInModels::writeLayoutDetector(folder, options);
}

float firstLogit(const Model& model) {
    FeatureValues inputs;
    inputs.emplace("image", MultiArray::fromFloats({1, 3, 640, 640}, std::vector<float>(3 * 640 * 640, 0.0f)));
    return model.predict(inputs).at("logits").floatValues().at(0);
}

void setModificationTime(const std::filesystem::path& path, long seconds, long microseconds) {
    const timeval times[2] = {{seconds, microseconds}, {seconds, microseconds}};
    ASSERT_EQ(utimes(path.c_str(), times), 0);
}

TEST(MultiArrayTest, FloatValuesAreRowMajorWhateverTypeAndStrides) {
    struct Case {
        const char* what;
        ElementType type;
        std::vector<std::int64_t> shape, strides;
        std::vector<std::uint8_t> bytes;
        std::vector<float> expected;
    };
    auto bytesOf = [](const auto& values) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(values.data());
        return std::vector<std::uint8_t>(p, p + values.size() * sizeof(values[0]));
    };
    const std::vector<float> six = {0, 1, 2, 3, 4, 5};
    const Case cases[] = {
        {"contiguous float32", ElementType::float32, {2, 3}, {3, 1}, bytesOf(six), {0, 1, 2, 3, 4, 5}},
        {"strided float32 [2,3] / [1,2]", ElementType::float32, {2, 3}, {1, 2}, bytesOf(six), {0, 2, 4, 1, 3, 5}},
        {"strided float64", ElementType::float64, {2, 3}, {1, 2},
         bytesOf(std::vector<double>{0, 1, 2, 3, 4, 5}), {0, 2, 4, 1, 3, 5}},
        {"strided int32", ElementType::int32, {3, 2}, {1, 3},
         bytesOf(std::vector<std::int32_t>{0, -1, 2, 3, 4, 5}), {0, 3, -1, 4, 2, 5}},
        // 1.0, -2.0, 0.5, 65504, smallest subnormal, infinity
        {"float16", ElementType::float16, {6}, {1},
         bytesOf(std::vector<std::uint16_t>{0x3c00, 0xc000, 0x3800, 0x7bff, 0x0001, 0x7c00}),
         {1.0f, -2.0f, 0.5f, 65504.0f, 5.9604645e-8f, std::numeric_limits<float>::infinity()}},
        {"empty shape reads one element", ElementType::float32, {}, {}, bytesOf(std::vector<float>{7}), {7}},
        {"a zero dimension gives nothing", ElementType::float32, {2, 0}, {0, 1}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MultiArray array;
        array.type = c.type;
        array.shape = c.shape;
        array.strides = c.strides;
        array.data = c.bytes.data();
        EXPECT_EQ(array.floatValues(), c.expected);
    }
}

TEST(MultiArrayTest, OwningArraysCheckTheirSize) {
    EXPECT_THROW(MultiArray::fromFloats({2, 2}, {1, 2, 3}), std::invalid_argument);
    const MultiArray array = MultiArray::fromInt32s({2}, {4, 5});
    EXPECT_TRUE(array.isContiguous());
    EXPECT_EQ(array.floatValues(), (std::vector<float>{4, 5}));
}

class ModelStoreTest : public ScratchModelsTest {};

TEST_F(ModelStoreTest, PackageCompilesIntoCacheNamedByTimeAndContentsAndServesStridedOutputs) {
    StandInModels::LayoutOptions options;
    options.queries = 3;
    options.boxes = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f, 1.1f, 1.2f};
    options.transposedBoxes = true;
    const auto package = StandInModels::writeLayoutDetector(models, options);
    setModificationTime(package, 1000, 750000);

    const auto model = ModelStore::load("LayoutDetector", models, ComputeUnits::cpuAndGPU, PlatformServices::modelRuntime());
    const std::string entry = ModelStore::compiledName("LayoutDetector", package);
    EXPECT_TRUE(entry.starts_with("LayoutDetector-1000-")) << entry;
    EXPECT_EQ(entry.size(), std::string("LayoutDetector-1000-").size() + 16 + std::string(".mlmodelc").size());
    EXPECT_TRUE(std::filesystem::exists(cacheFolder() / entry / "model.pt"));
    EXPECT_EQ(model->name(), "LayoutDetector");
    EXPECT_EQ(model->computeUnits(), ComputeUnits::cpuAndGPU);
    ASSERT_NE(model->input("image"), nullptr);
    EXPECT_EQ(model->input("image")->shape, (std::vector<std::int64_t>{1, 3, 640, 640}));
    ASSERT_NE(model->output("boxes"), nullptr);

    FeatureValues inputs;
    inputs.emplace("image", MultiArray::fromFloats({1, 3, 640, 640}, std::vector<float>(3 * 640 * 640, 0.0f)));
    const FeatureValues outputs = model->predict(inputs);
    const MultiArray& boxes = outputs.at("boxes");
    EXPECT_EQ(boxes.shape, (std::vector<std::int64_t>{1, 3, 4}));
    EXPECT_FALSE(boxes.isContiguous());
    EXPECT_EQ(boxes.floatValues(), options.boxes);
    EXPECT_EQ(outputs.at("logits").floatValues().size(), 3u * 17u);
}

TEST_F(ModelStoreTest, CompiledModelInTheFolderIsPreferredAndTheCacheUntouched) {
    const auto scratch = root / "scratch";
    TorchModel::compile(writeMarkedLayout(scratch, 1.0f), models / "LayoutDetector.mlmodelc");
    writeMarkedLayout(models, 2.0f);

    const auto model = ModelStore::load("LayoutDetector", models, ComputeUnits::all, PlatformServices::modelRuntime());
    EXPECT_EQ(firstLogit(*model), 1.0f);
    EXPECT_FALSE(std::filesystem::exists(cache));
}

// Gives the package folder and every file in it the same modification time.
void setPackageTime(const std::filesystem::path& package, long seconds) {
    for (const auto& entry : std::filesystem::directory_iterator(package)) setModificationTime(entry.path(), seconds, 0);
    setModificationTime(package, seconds, 0);
}

int cacheEntries(const std::filesystem::path& folder) {
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++entries;
    return entries;
}

TEST_F(ModelStoreTest, ACompilationServesOnlyThePackageItWasCompiledFrom) {
    const auto load = [](const std::filesystem::path& folder) {
        return firstLogit(*ModelStore::load("LayoutDetector", folder, ComputeUnits::all, PlatformServices::modelRuntime()));
    };
    const auto package = writeMarkedLayout(models, 1.0f);
    setModificationTime(package, 1000, 0);
    EXPECT_EQ(load(models), 1.0f);
    EXPECT_EQ(load(models), 1.0f);
    EXPECT_EQ(cacheEntries(cacheFolder()), 1);

    // New weights with the folder's time put back: compiled again.
    writeMarkedLayout(models, 2.0f);
    setModificationTime(package, 1000, 0);
    EXPECT_EQ(load(models), 2.0f);

    // Another package whose folder and files carry exactly the same times: its own compilation.
    setPackageTime(package, 1000);
    const auto other = root / "other";
    setPackageTime(writeMarkedLayout(other, 3.0f), 1000);
    EXPECT_EQ(load(other), 3.0f);
    EXPECT_EQ(load(models), 2.0f);

    // An entry under the old name (model name and whole seconds only) is not used.
    const auto third = root / "third";
    const auto thirdPackage = writeMarkedLayout(third, 4.0f);
    setModificationTime(thirdPackage, 5000, 0);
    TorchModel::compile(writeMarkedLayout(root / "scratch", 9.0f), cacheFolder() / "LayoutDetector-5000.mlmodelc");
    EXPECT_EQ(load(third), 4.0f);
    // No temporary compile folders are left behind.
    for (const auto& entry : std::filesystem::directory_iterator(cacheFolder()))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
}

TEST_F(ModelStoreTest, ConcurrentFirstLoadsShareOneCacheEntry) {
    const auto package = writeMarkedLayout(models, 4.0f);
    setModificationTime(package, 1000, 0);
    std::vector<float> results(4, 0.0f);
    {
        std::vector<std::jthread> threads;
        for (std::size_t k = 0; k < results.size(); ++k) {
            threads.emplace_back([&, k] {
                results[k] = firstLogit(*ModelStore::load("LayoutDetector", models, ComputeUnits::all, PlatformServices::modelRuntime()));
            });
        }
    }
    EXPECT_EQ(results, std::vector<float>(4, 4.0f));
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(cacheFolder())) {
        entries.push_back(entry.path().filename());
    }
    EXPECT_EQ(entries, std::vector<std::string>{ModelStore::compiledName("LayoutDetector", package)});
}

TEST_F(ModelStoreTest, BrokenCachedCompilationIsReplaced) {
    const auto package = writeMarkedLayout(models, 3.0f);
    setModificationTime(package, 1000, 0);
    const auto broken = cacheFolder() / ModelStore::compiledName("LayoutDetector", package);
    std::filesystem::create_directories(broken);
    std::ofstream(broken / "model.pt") << "not a model";
    std::filesystem::copy_file(package / "metadata.json", broken / "metadata.json");

    EXPECT_EQ(firstLogit(*ModelStore::load("LayoutDetector", models, ComputeUnits::all, PlatformServices::modelRuntime())), 3.0f);
    EXPECT_EQ(firstLogit(*TorchModel::load("LayoutDetector", broken, ComputeUnits::all)), 3.0f);
}

TEST_F(ModelStoreTest, BadInputsAreTypedErrors) {
    writeMarkedLayout(models, 1.0f);
    const auto model = ModelStore::load("LayoutDetector", models, ComputeUnits::all, PlatformServices::modelRuntime());
    EXPECT_THROW(model->predict({}), ModelRuntimeError);
    FeatureValues wrongShape;
    wrongShape.emplace("image", MultiArray::fromFloats({2, 2}, {1, 2, 3, 4}));
    EXPECT_THROW(model->predict(wrongShape), ModelRuntimeError);
    MultiArray negative = MultiArray::fromFloats({1}, {1});
    negative.shape = {-3};
    FeatureValues broken;
    broken.emplace("image", negative);
    EXPECT_THROW(model->predict(broken), ModelRuntimeError);
}

TEST_F(ModelStoreTest, MissingModelNamesThePackagePath) {
    try {
        ModelStore::load("TableEncoder", models, ComputeUnits::all, PlatformServices::modelRuntime());
        FAIL() << "no error";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.kind(), EngineError::Kind::modelMissing);
        EXPECT_EQ(error.description(), "model not found: " + (models / "TableEncoder.mlpackage").string());
    }
}

TEST_F(ModelStoreTest, UnloadableCompiledModelIsATypedError) {
    std::filesystem::create_directories(models / "LayoutDetector.mlmodelc");
    EXPECT_THROW(ModelStore::load("LayoutDetector", models, ComputeUnits::all, PlatformServices::modelRuntime()), ModelRuntimeError);
    std::ofstream(models / "LayoutDetector.mlmodelc" / "metadata.json") << "{\"inputs\": [";
    EXPECT_THROW(ModelStore::load("LayoutDetector", models, ComputeUnits::all, PlatformServices::modelRuntime()), ModelRuntimeError);
}

TEST_F(ModelStoreTest, UnreadablePackageTimeGivesZero) {
    EXPECT_EQ(ModelStore::modificationTime(models / "absent.mlpackage"), 0);
}

TEST_F(ModelStoreTest, DefaultDirectoryAndCacheFollowTheEnvironment) {
    const std::string home = (root / "home").string();
    struct Case {
        const char* models;   // CONVERTER_MODELS, nullptr = unset
        const char* base;     // RODUZEZ_AZED, nullptr = unset
        std::string expected;
    };
    const Case cases[] = {
        {"~/my models", nullptr, home + "/my models"},
        {"/opt/m", "/data", "/opt/m"},
        {"", "/data", ""},
        {nullptr, "/data", "/data/models"},
        {nullptr, "~/z", home + "/z/models"},
        {nullptr, "", home + "/roduzez-azed/models"},
        {nullptr, nullptr, home + "/roduzez-azed/models"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        c.models ? setenv("CONVERTER_MODELS", c.models, 1) : unsetenv("CONVERTER_MODELS");
        c.base ? setenv("RODUZEZ_AZED", c.base, 1) : unsetenv("RODUZEZ_AZED");
        EXPECT_EQ(ModelStore::defaultDirectory(), std::filesystem::path(c.expected));
    }
    unsetenv("CONVERTER_MODELS");
    unsetenv("RODUZEZ_AZED");

    EXPECT_EQ(ModelStore::cacheDirectory(), cache / "ConverterEngine" / "models");
    setenv("XDG_CACHE_HOME", "relative", 1);
    EXPECT_EQ(ModelStore::cacheDirectory(), std::filesystem::path(home) / ".cache/ConverterEngine/models");
}

TEST(ModelLocationTest, UrlOfEachForm) {
    EXPECT_EQ(ModelLocation::directory("/srv/m").url(), std::filesystem::path("/srv/m"));
    EXPECT_EQ(ModelLocation::bundle({"/app", std::filesystem::path("/app/Resources")}).url(),
              std::filesystem::path("/app/Resources/Models"));
    EXPECT_EQ(ModelLocation::bundle({"/app", std::nullopt}).url(), std::filesystem::path("/app/Models"));
}

TEST_F(ModelStoreTest, AutomaticPrefersAnythingNamedModelsInTheBundle) {
    unsetenv("CONVERTER_MODELS");
    setenv("RODUZEZ_AZED", "/data", 1);
    const Bundle bundle{root, root / "Resources"};
    std::filesystem::create_directories(root / "Resources");
    EXPECT_EQ(ModelLocation::automatic(bundle).kind(), ModelLocation::Kind::directory);
    EXPECT_EQ(ModelLocation::automatic(bundle).url(), std::filesystem::path("/data/models"));
    std::ofstream(root / "Resources" / "Models") << "a file counts too";
    EXPECT_EQ(ModelLocation::automatic(bundle).kind(), ModelLocation::Kind::bundle);
    EXPECT_EQ(ModelLocation::automatic(bundle).url(), root / "Resources" / "Models");
    EXPECT_EQ(ModelLocation::automatic(Bundle{root, std::nullopt}).kind(), ModelLocation::Kind::directory);
    unsetenv("RODUZEZ_AZED");
}

class ModelSetTest : public ScratchModelsTest {
protected:
    void writeTableStandIns() {
        StandInModels::writeTableEncoder(models, {});
        StandInModels::writeTableDecoderStep(models, {.tokens = {5, 9, 3}});
        StandInModels::writeTableCellHead(models, {.boxesByPosition = {{0.5f, 0.5f, 1.0f, 1.0f}}});
    }
};

TEST_F(ModelSetTest, PreloadStopsAtTheLayoutModelAndRetriesLater) {
    writeTableStandIns();
    ModelSet set(ModelLocation::directory(models), ComputeUnits::all, PlatformServices::modelRuntime());
    EXPECT_THROW(set.preload(), EngineError);
    EXPECT_FALSE(set.hasLayoutDetector());
    EXPECT_FALSE(set.hasTableFormer());

    writeMarkedLayout(models, 1.0f);
    set.preload();
    EXPECT_TRUE(set.hasLayoutDetector());
    EXPECT_TRUE(set.hasTableFormer());
    const Model* layout = set.withLayoutDetector([](LayoutDetector& d) { return &d.model(); });
    set.preload();  // already loaded: nothing is replaced
    EXPECT_EQ(set.withLayoutDetector([](LayoutDetector& d) { return &d.model(); }), layout);
}

TEST_F(ModelSetTest, TableStandInsRunWithTheirContract) {
    writeTableStandIns();
    ModelSet set(ModelLocation::directory(models), ComputeUnits::cpuOnly, PlatformServices::modelRuntime());
    set.withTableFormer([](const TableFormer& former) {
        const TableModels& tables = former.models();
        EXPECT_EQ(tables.step->metadata().at("word_map_tag").substr(0, 11), "{\"<end>\":3,");
        EXPECT_EQ(tables.encoder->input("image")->shape, (std::vector<std::int64_t>{1, 3, 448, 448}));

        FeatureValues image;
        image.emplace("image", MultiArray::fromFloats({1, 3, 448, 448}, std::vector<float>(3 * 448 * 448, 0.0f)));
        const FeatureValues encoded = tables.encoder->predict(image);

        FeatureValues step;
        step.emplace("tag", MultiArray::fromInt32s({1}, {2}));
        step.emplace("pos", MultiArray::fromInt32s({1}, {1}));
        step.emplace("cache", MultiArray::fromFloats({6, 32, 512}, std::vector<float>(6 * 32 * 512, 0.0f)));
        step.emplace("memory", encoded.at("memory"));
        const FeatureValues decoded = tables.step->predict(step);
        const auto logits = decoded.at("logits").floatValues();
        EXPECT_EQ(std::max_element(logits.begin(), logits.end()) - logits.begin(), 9);
        EXPECT_EQ(decoded.at("hidden").floatValues().at(0), 2.0f);
        EXPECT_EQ(decoded.at("layer_inputs").floatValues().size(), 6u * 512u);

        std::vector<float> hidden(32 * 512, 0.0f);
        hidden[0] = 1.0f;
        FeatureValues head;
        head.emplace("cell_features", encoded.at("cell_features"));
        head.emplace("tag_hidden", MultiArray::fromFloats({32, 512}, hidden));
        const FeatureValues cells = tables.head->predict(head);
        const auto boxes = cells.at("boxes").floatValues();
        EXPECT_EQ(std::vector<float>(boxes.begin(), boxes.begin() + 4), (std::vector<float>{0.5f, 0.5f, 1, 1}));
        const auto classes = cells.at("classes").floatValues();
        EXPECT_EQ(std::max_element(classes.begin(), classes.begin() + 3) - classes.begin(), 2);
    });
}

}  // namespace
}  // namespace ce
