// The engine's only translation unit that includes libtorch (the stand-in model builder in
// testsupport/, which is not shipped, is the other).
#include "platform/TorchModel.h"

#include <algorithm>
#include <fstream>
#include <mutex>
#include <optional>
#include <thread>

#include <dlfcn.h>

#include <torch/csrc/jit/runtime/graph_executor.h>
#include <torch/script.h>

#include "core/Log.h"
#include "models/ModelDescription.h"

namespace ce::TorchModel {

namespace {

std::optional<ElementType> elementTypeOf(at::ScalarType type) {
    switch (type) {
        case at::kHalf: return ElementType::float16;
        case at::kFloat: return ElementType::float32;
        case at::kDouble: return ElementType::float64;
        case at::kInt: return ElementType::int32;
        case at::kLong: return ElementType::int64;
        case at::kByte: return ElementType::uint8;
        case at::kBool: return ElementType::boolean;
        default: return std::nullopt;
    }
}

at::ScalarType scalarTypeOf(ElementType type) {
    switch (type) {
        case ElementType::float16: return at::kHalf;
        case ElementType::float32: return at::kFloat;
        case ElementType::float64: return at::kDouble;
        case ElementType::int32: return at::kInt;
        case ElementType::int64: return at::kLong;
        case ElementType::uint8: return at::kByte;
        case ElementType::boolean: return at::kBool;
    }
    return at::kFloat;
}

std::string findBlasLibrary() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    std::string fallback;
    while (std::getline(maps, line)) {
        const auto slash = line.find('/');
        if (slash == std::string::npos) continue;
        const std::string path = line.substr(slash);
        if (path.find("openblas") != std::string::npos) return path;
        if (fallback.empty() && path.find("libblas") != std::string::npos) fallback = path;
    }
    return fallback.empty() ? "unknown" : fallback;
}

const RuntimeInfo& configure() {
    static const RuntimeInfo info = [] {
        const int cores = static_cast<int>(std::thread::hardware_concurrency());
        RuntimeInfo result;
        result.threads = std::max(1, cores / 2);
        // Not at::set_num_threads: libtorch repeats it on the first operation of every new
        // thread, and each time it replaces its pthreadpool with a new one whose workers
        // spin for some milliseconds as they start (conversions run on short-lived
        // threads: a quarter of the CPU went there). The OpenMP thread count is set for
        // the calling thread before each run instead (intraOpThreads below).
        // OpenBLAS keeps a thread pool of its own, as large as the machine unless told.
        using SetThreads = void (*)(int);
        if (auto setBlasThreads = reinterpret_cast<SetThreads>(dlsym(RTLD_DEFAULT, "openblas_set_num_threads"))) {
            setBlasThreads(result.threads);
        }
        // The legacy executor optimises once per argument kind; the profiling executor
        // would re-optimise for every new input shape (the table decoder's cache grows).
        torch::jit::getExecutorMode() = false;
        torch::jit::getProfilingMode() = false;
        result.blasLibrary = findBlasLibrary();
        Log::info(Log::Category::engine,
                  {"libtorch uses BLAS ", result.blasLibrary, " with ", result.threads, " threads"});
        return result;
    }();
    return info;
}

// Sets the OpenMP thread count of the calling thread (a per-thread setting) to the
// intra-op thread count; libgomp is loaded with libtorch.
void intraOpThreads() {
    using SetThreads = void (*)(int);
    static const auto setThreads = reinterpret_cast<SetThreads>(dlsym(RTLD_DEFAULT, "omp_set_num_threads"));
    if (setThreads) setThreads(configure().threads);
}

std::string errorText(const std::exception& error) {
    if (auto* c10Error = dynamic_cast<const c10::Error*>(&error)) return c10Error->what_without_backtrace();
    return error.what();
}

MultiArray toArray(at::Tensor tensor) {
    if (!tensor.device().is_cpu()) tensor = tensor.cpu();
    auto type = elementTypeOf(tensor.scalar_type());
    if (!type) {
        tensor = tensor.to(at::kFloat);
        type = ElementType::float32;
    }
    MultiArray array;
    array.type = *type;
    array.shape = tensor.sizes().vec();
    array.strides = tensor.strides().vec();
    array.data = tensor.data_ptr();
    array.owner = std::make_shared<at::Tensor>(std::move(tensor));
    return array;
}

at::Tensor toTensor(const MultiArray& array) {
    std::vector<std::int64_t> strides = array.strides;
    if (strides.size() != array.shape.size()) strides = MultiArray::rowMajorStrides(array.shape);
    if (array.data == nullptr && array.count() > 0) throw std::invalid_argument("an input array has no data");
    // The tensor reads the array's memory in place and keeps its owner alive.
    std::shared_ptr<const void> owner = array.owner;
    return torch::from_blob(
        const_cast<void*>(array.data), array.shape, strides, [owner](void*) {},
        torch::TensorOptions().dtype(scalarTypeOf(array.type)));
}

class TorchScriptModel final : public Model {
public:
    TorchScriptModel(std::string name, torch::jit::Module module, ModelDescription description,
                     ComputeUnits computeUnits)
        : name_(std::move(name)),
          module_(std::move(module)),
          description_(std::move(description)),
          computeUnits_(computeUnits) {
        const auto& arguments = module_.get_method("forward").function().getSchema().arguments();
        for (std::size_t k = 1; k < arguments.size(); ++k) argumentNames_.push_back(arguments[k].name());
    }

    const std::string& name() const override { return name_; }
    const std::vector<FeatureDescription>& inputs() const override { return description_.inputs; }
    const std::vector<FeatureDescription>& outputs() const override { return description_.outputs; }
    const std::map<std::string, std::string, std::less<>>& metadata() const override {
        return description_.metadata;
    }
    ComputeUnits computeUnits() const override { return computeUnits_; }

    FeatureValues predict(const FeatureValues& inputs) const override {
        try {
            std::vector<torch::jit::IValue> arguments;
            for (const std::string& argument : argumentNames_) {
                auto it = inputs.find(argument);
                if (it == inputs.end()) throw ModelRuntimeError(name_ + ": missing input \"" + argument + "\"");
                checkInput(argument, it->second);
                arguments.emplace_back(toTensor(it->second));
            }
            c10::InferenceMode inferenceMode;
            intraOpThreads();
            return collect(module_.forward(std::move(arguments)));
        } catch (const ModelRuntimeError&) {
            throw;
        } catch (const std::exception& error) {
            throw ModelRuntimeError(name_ + ": prediction failed: " + errorText(error));
        }
    }

private:
    // An input must have the declared element type, rank and fixed dimensions.
    void checkInput(const std::string& argument, const MultiArray& array) const {
        const FeatureDescription* declared = input(argument);
        if (!declared) return;
        bool fits = array.type == declared->type && array.shape.size() == declared->shape.size();
        for (std::size_t k = 0; fits && k < array.shape.size(); ++k) {
            fits = array.shape[k] >= 0 && (declared->shape[k] < 0 || declared->shape[k] == array.shape[k]);
        }
        if (!fits) {
            throw ModelRuntimeError(name_ + ": input \"" + argument + "\" does not have the declared type and shape");
        }
    }

    const std::string& outputName(std::size_t position) const {
        if (position >= description_.outputs.size()) {
            throw ModelRuntimeError(name_ + ": the model returns more outputs than metadata.json declares");
        }
        return description_.outputs[position].name;
    }

    FeatureValues collect(const torch::jit::IValue& result) const {
        FeatureValues outputs;
        auto put = [&](const std::string& key, const torch::jit::IValue& value) {
            if (!value.isTensor()) throw ModelRuntimeError(name_ + ": output \"" + key + "\" is not a tensor");
            outputs.insert_or_assign(key, toArray(value.toTensor()));
        };
        if (result.isTensor()) {
            put(outputName(0), result);
        } else if (result.isTuple()) {
            const auto& elements = result.toTupleRef().elements();
            for (std::size_t k = 0; k < elements.size(); ++k) put(outputName(k), elements[k]);
        } else if (result.isList()) {
            const auto list = result.toList();
            for (std::size_t k = 0; k < list.size(); ++k) put(outputName(k), list.get(k));
        } else if (result.isGenericDict()) {
            for (const auto& item : result.toGenericDict()) {
                if (!item.key().isString()) throw ModelRuntimeError(name_ + ": output names must be strings");
                put(item.key().toStringRef(), item.value());
            }
        } else {
            throw ModelRuntimeError(name_ + ": unsupported output type " + result.tagKind());
        }
        return outputs;
    }

    std::string name_;
    mutable torch::jit::Module module_;  // forward() is not const; it keeps no state between calls
    ModelDescription description_;
    ComputeUnits computeUnits_;
    std::vector<std::string> argumentNames_;
};

// Two runs on zero inputs when every input shape is fixed: libtorch's first calls are slow.
void warmUp(const Model& model) {
    FeatureValues inputs;
    for (const auto& input : model.inputs()) {
        if (input.shape.empty() ||
            std::any_of(input.shape.begin(), input.shape.end(), [](std::int64_t d) { return d < 0; })) {
            return;
        }
        MultiArray array;
        array.type = input.type;
        array.shape = input.shape;
        array.strides = MultiArray::rowMajorStrides(input.shape);
        auto zeros = std::make_shared<std::vector<double>>(static_cast<std::size_t>(array.count()), 0.0);
        array.data = zeros->data();
        array.owner = zeros;
        inputs.emplace(input.name, std::move(array));
    }
    if (inputs.empty()) return;
    for (int run = 0; run < 2; ++run) model.predict(inputs);
}

}  // namespace

RuntimeInfo runtimeInfo() { return configure(); }

void compile(const std::filesystem::path& package, const std::filesystem::path& destination) {
    configure();
    ModelDescription::read(package);  // a package without a readable description is not compiled
    try {
        torch::jit::Module module = torch::jit::load((package / weightsFileName).string());
        module.eval();
        torch::jit::Module frozen = torch::jit::freeze(module);
        std::filesystem::create_directories(destination);
        frozen.save((destination / weightsFileName).string());
        std::filesystem::copy_file(package / ModelDescription::fileName, destination / ModelDescription::fileName,
                                   std::filesystem::copy_options::overwrite_existing);
    } catch (const std::exception& error) {
        throw ModelRuntimeError("cannot compile " + package.string() + ": " + errorText(error));
    }
}

std::shared_ptr<const Model> load(const std::string& name, const std::filesystem::path& compiledFolder,
                                  ComputeUnits computeUnits) {
    configure();
    ModelDescription description = ModelDescription::read(compiledFolder);
    std::shared_ptr<Model> model;
    try {
        torch::jit::Module module = torch::jit::load((compiledFolder / weightsFileName).string());
        module.eval();
        if (description.optimizeForInference) module = torch::jit::optimize_for_inference(module);
        model = std::make_shared<TorchScriptModel>(name, std::move(module), std::move(description), computeUnits);
    } catch (const std::exception& error) {
        throw ModelRuntimeError("cannot load " + compiledFolder.string() + ": " + errorText(error));
    }
    warmUp(*model);
    return model;
}

}  // namespace ce::TorchModel
