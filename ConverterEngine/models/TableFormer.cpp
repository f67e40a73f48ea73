#include "models/TableFormer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <set>

#include <nlohmann/json.hpp>

#include "core/EngineError.h"
#include "core/Whitespace.h"
#include "image/CVResize.h"
#include "models/OTSL.h"
#include "models/RuleMarks.h"
#include "models/TableMatcher.h"

namespace ce {

namespace {
constexpr int hiddenSize = 512;
constexpr int layers = 6;
constexpr std::size_t maxOutputTokens = 1024;
constexpr int headBatch = 32;
const char* const encoderName = "TableEncoder";
const char* const stepName = "TableDecoderStep";
const char* const headName = "TableCellHead";

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

const MultiArray& output(const FeatureValues& outputs, const char* key, const char* model) {
    const auto it = outputs.find(key);
    if (it == outputs.end()) throw EngineError::modelOutput(model);
    return it->second;
}

std::vector<float> outputValues(const FeatureValues& outputs, const char* key, const char* model, std::size_t atLeast) {
    std::vector<float> values = output(outputs, key, model).floatValues();
    if (values.size() < atLeast) throw EngineError::modelOutput(model);
    return values;
}

int argmax(const float* values, std::size_t count) {
    std::size_t best = 0;
    for (std::size_t k = 1; k < count; ++k) {
        if (values[k] > values[best]) best = k;
    }
    return static_cast<int>(best);
}

// A row-major float array viewing `buffer` without copying it.
MultiArray view(const std::shared_ptr<std::vector<float>>& buffer, std::vector<std::int64_t> shape) {
    MultiArray array;
    array.type = ElementType::float32;
    array.strides = MultiArray::rowMajorStrides(shape);
    array.shape = std::move(shape);
    array.data = buffer->data();
    array.owner = buffer;
    return array;
}

int cacheWidth(std::size_t length) {
    for (int w : {32, 64, 128, 256, 512, 1024}) {
        if (static_cast<std::size_t>(w) >= length) return w;
    }
    return 1024;
}

// Rounds a scaled table edge and clamps it into 0...size as a slice bound.
int sliceBound(double value, int size) {
    const double rounded = std::nearbyint(value);
    if (!(rounded > 0)) return 0;
    return static_cast<int>(std::min(rounded, static_cast<double>(size)));
}

bool isOTSLCellState(const std::string& name) {
    return name == "fcel" || name == "ecel" || name == "ched" || name == "rhed" || name == "srow" || name == "nl" ||
           name == "ucel";
}
}  // namespace

const std::map<std::string, int>& TableFormer::fallbackTokenMap() {
    static const std::map<std::string, int> map = {
        {"<pad>", 0}, {"<unk>", 1}, {"<start>", 2}, {"<end>", 3}, {"ecel", 4},  {"fcel", 5},  {"lcel", 6},
        {"ucel", 7},  {"xcel", 8},  {"nl", 9},      {"ched", 10}, {"rhed", 11}, {"srow", 12},
    };
    return map;
}

std::optional<std::map<std::string, int>> TableFormer::parseTokenMap(const std::string& json) {
    const nlohmann::json parsed = nlohmann::json::parse(json, nullptr, false);
    if (!parsed.is_object()) return std::nullopt;
    std::map<std::string, int> map;
    std::set<int> ids;
    for (const auto& [name, id] : parsed.items()) {
        if (!id.is_number_integer()) return std::nullopt;
        const auto value = id.get<long long>();
        if (value < 0 || value > 1'000'000 || !ids.insert(static_cast<int>(value)).second) return std::nullopt;
        map[name] = static_cast<int>(value);
    }
    for (const char* required : {"<start>", "<end>", "ecel", "fcel", "lcel", "ucel", "xcel", "nl", "ched", "rhed", "srow"}) {
        if (!map.count(required)) return std::nullopt;
    }
    return map;
}

TableFormer::TableFormer(TableModels models) : models_(std::move(models)), tagIDs_(fallbackTokenMap()) {
    const auto& metadata = models_.step->metadata();
    if (const auto it = metadata.find("word_map_tag"); it != metadata.end()) {
        if (auto map = parseTokenMap(it->second)) tagIDs_ = std::move(*map);
    }
    const FeatureDescription* image = models_.encoder->input("image");
    encoderTakesFloat_ = image && image->kind == FeatureKind::multiArray;
    for (const auto& [name, id] : tagIDs_) tagNames_[id] = name;
}

std::string TableFormer::tagName(int id) const {
    const auto it = tagNames_.find(id);
    return it == tagNames_.end() ? "<unk>" : it->second;
}

int TableFormer::tagID(const std::string& name) const { return tagIDs_.at(name); }

TableStructure TableFormer::predict(const RGBImage& page, double renderScale, double pageWidth, double pageHeight,
                                    const BBox& tableBBox, int clusterID, const std::vector<TextCell>& tokens,
                                    const RecoverEmpty& recoverEmpty) const {
    const std::array<double, 4> box = {std::nearbyint(tableBBox.l) * tableScale, std::nearbyint(tableBBox.t) * tableScale,
                                       std::nearbyint(tableBBox.r) * tableScale, std::nearbyint(tableBBox.b) * tableScale};
    std::vector<TextCell> cells;
    for (const TextCell& token : tokens) {
        if (isBlank(token.text)) continue;
        TextCell scaled = token;
        scaled.bbox = token.bbox.scaled(tableScale);
        cells.push_back(std::move(scaled));
    }
    std::optional<std::pair<int, int>> target;
    if (renderScale != tableScale) {
        target = std::make_pair(static_cast<int>(std::max(1.0, std::nearbyint(tableScale * pageWidth))),
                                static_cast<int>(std::max(1.0, std::nearbyint(tableScale * pageHeight))));
    }
    TableStructure structure = predictDetails(page, box, cells, target, recoverEmpty).structure;
    structure.clusterID = clusterID;
    for (TableCellItem& cell : structure.cells) {
        if (cell.bbox) cell.bbox = cell.bbox->scaled(1.0 / tableScale);
    }
    return structure;
}

TableFormer::Details TableFormer::predictDetails(const RGBImage& page, const std::array<double, 4>& tableBox,
                                                 const std::vector<TextCell>& cells,
                                                 std::optional<std::pair<int, int>> targetSize,
                                                 const RecoverEmpty& recoverEmpty) const {
    auto clock = std::chrono::steady_clock::now();
    const int H = targetSize ? targetSize->second : page.height;
    const int W = targetSize ? targetSize->first : page.width;
    if (H < 1 || W < 1 || page.width < 1 || page.height < 1) throw TableFormerError();
    const double m = 1024.0 / H;
    const int scaledWidth = std::max(1, static_cast<int>(m * W));
    const int x0 = sliceBound(tableBox[0] * m, scaledWidth);
    const int y0 = sliceBound(tableBox[1] * m, 1024);
    const int x1 = sliceBound(tableBox[2] * m, scaledWidth);
    const int y1 = sliceBound(tableBox[3] * m, 1024);
    // Only the table's box of the page scaled to a height of 1024.
    const RGBImage crop = CVResize::resizedRegion(page, scaledWidth, 1024, {x0, y0, std::max(x0, x1), std::max(y0, y1)});
    if (crop.width < 1 || crop.height < 1) throw TableFormerError();

    const std::vector<double> values = CVResize::cropResize448(crop);
    RGBImage image448 = CVResize::toRGB8(values, 448, 448);
    std::map<std::string, double> timings;
    timings["preprocess"] = secondsSince(clock);

    clock = std::chrono::steady_clock::now();
    const Inference inference = infer(values, image448);
    timings["model"] = secondsSince(clock);

    clock = std::chrono::steady_clock::now();
    Details details = buildResponse(inference.tagSeq, inference.boxes, inference.classes, tableBox, cells, recoverEmpty);
    timings["matching"] = secondsSince(clock);
    details.crop448 = std::move(image448);
    details.timings = std::move(timings);
    details.timings.insert(inference.timings.begin(), inference.timings.end());
    return details;
}

FeatureValues TableFormer::encode(const std::vector<double>& values448, const RGBImage& image448) const {
    FeatureValues encoderInputs;
    if (encoderTakesFloat_) {
        std::vector<float> planar(3 * 448 * 448);
        for (std::size_t p = 0; p < 448 * 448; ++p) {
            for (std::size_t c = 0; c < 3; ++c) planar[c * 448 * 448 + p] = static_cast<float>(values448[p * 3 + c]);
        }
        encoderInputs["image"] = MultiArray::fromFloats({1, 3, 448, 448}, std::move(planar));
    } else {
        const BGRABuffer buffer = image448.pixelBuffer();
        std::vector<std::uint8_t> bytes;
        bytes.reserve(448 * 448 * 4);
        for (int y = 0; y < buffer.height; ++y) {
            const auto* row = buffer.bytes.data() + static_cast<std::size_t>(y) * buffer.bytesPerRow;
            bytes.insert(bytes.end(), row, row + static_cast<std::size_t>(buffer.width) * 4);
        }
        encoderInputs["image"] = MultiArray::fromBytes({1, 448, 448, 4}, std::move(bytes));
    }
    return models_.encoder->predict(encoderInputs);
}

TableFormer::Decoded TableFormer::decode(const MultiArray& memory) const {
    const int startID = tagID("<start>");
    const int endID = tagID("<end>");
    const int lcelID = tagID("lcel");
    const int fcelID = tagID("fcel");

    Decoded decoded;
    std::vector<int>& sequence = decoded.sequence;
    std::vector<std::vector<float>>& states = decoded.states;
    std::map<int, int>& merge = decoded.merge;
    sequence = {startID};
    std::vector<int> outputTokens;
    bool skipNext = true, prevWasUcel = false, firstLcel = true;
    int cellIndex = 0, spanStart = -1;
    int width = 0;
    auto cache = std::make_shared<std::vector<float>>();

    while (true) {
        const int w = cacheWidth(sequence.size());
        if (w != width) {
            auto grown = std::make_shared<std::vector<float>>(static_cast<std::size_t>(layers) * w * hiddenSize, 0.0f);
            const int rows = std::min(w, width);
            for (int k = 0; k < layers; ++k) {
                std::copy_n(cache->data() + static_cast<std::size_t>(k) * width * hiddenSize,
                            static_cast<std::size_t>(rows) * hiddenSize,
                            grown->data() + static_cast<std::size_t>(k) * w * hiddenSize);
            }
            cache = std::move(grown);
            width = w;
        }
        const int pos = static_cast<int>(sequence.size()) - 1;
        FeatureValues inputs;
        inputs["tag"] = MultiArray::fromInt32s({1}, {sequence.back()});
        inputs["pos"] = MultiArray::fromInt32s({1}, {pos});
        inputs["cache"] = view(cache, {layers, width, hiddenSize});
        inputs["memory"] = memory;
        const FeatureValues stepOut = models_.step->predict(inputs);
        const std::vector<float> layerInputs = outputValues(stepOut, "layer_inputs", stepName, layers * hiddenSize);
        std::vector<float> hidden = outputValues(stepOut, "hidden", stepName, hiddenSize);
        const std::vector<float> logits = outputValues(stepOut, "logits", stepName, 1);
        for (int k = 0; k < layers; ++k) {
            std::copy_n(layerInputs.data() + static_cast<std::size_t>(k) * hiddenSize, hiddenSize,
                        cache->data() + (static_cast<std::size_t>(k) * width + pos) * hiddenSize);
        }

        int t = argmax(logits.data(), logits.size());
        std::string name = tagName(t);
        if (name == "xcel") {
            t = lcelID;
            name = "lcel";
        }
        if (name == "lcel" && prevWasUcel) {
            t = fcelID;
            name = "fcel";
        }
        if (t == endID) {
            outputTokens.push_back(t);
            sequence.push_back(t);
            break;
        }
        outputTokens.push_back(t);
        if (!skipNext && isOTSLCellState(name)) {
            states.push_back(hidden);
            if (!firstLcel) merge[spanStart] = cellIndex;
            ++cellIndex;
        }
        if (name == "lcel" && firstLcel) {
            states.push_back(std::move(hidden));
            firstLcel = false;
            spanStart = cellIndex;
            merge[spanStart] = -1;
            ++cellIndex;
        } else if (name != "lcel") {
            firstLcel = true;
        }
        skipNext = name == "nl" || name == "ucel" || name == "xcel";
        prevWasUcel = name == "ucel";
        sequence.push_back(t);
        if (outputTokens.size() >= maxOutputTokens) break;
    }

    return decoded;
}

TableFormer::CellHeadOutput TableFormer::cellHead(const std::vector<std::vector<float>>& states,
                                                  const MultiArray& cellFeatures) const {
    // 32 states at a time.
    CellHeadOutput out;
    std::vector<std::array<float, 3>>& classValues = out.classes;
    std::vector<std::array<float, 4>>& centreBoxes = out.boxes;
    for (std::size_t first = 0; first < states.size(); first += headBatch) {
        const std::size_t count = std::min<std::size_t>(headBatch, states.size() - first);
        std::vector<float> tagHidden(static_cast<std::size_t>(headBatch) * hiddenSize, 0.0f);
        for (std::size_t k = 0; k < count; ++k) {
            std::copy_n(states[first + k].data(), hiddenSize, tagHidden.data() + k * hiddenSize);
        }
        FeatureValues inputs;
        inputs["cell_features"] = cellFeatures;
        inputs["tag_hidden"] = MultiArray::fromFloats({headBatch, hiddenSize}, std::move(tagHidden));
        const FeatureValues headOut = models_.head->predict(inputs);
        const std::vector<float> classes = outputValues(headOut, "classes", headName, count * 3);
        const std::vector<float> boxes = outputValues(headOut, "boxes", headName, count * 4);
        for (std::size_t k = 0; k < count; ++k) {
            classValues.push_back({classes[k * 3], classes[k * 3 + 1], classes[k * 3 + 2]});
            centreBoxes.push_back({boxes[k * 4], boxes[k * 4 + 1], boxes[k * 4 + 2], boxes[k * 4 + 3]});
        }
    }

    return out;
}

TableFormer::Inference TableFormer::infer(const std::vector<double>& values448, const RGBImage& image448) const {
    Inference result;
    auto clock = std::chrono::steady_clock::now();
    const FeatureValues encoded = encode(values448, image448);
    const MultiArray memory = output(encoded, "memory", encoderName);
    const MultiArray cellFeatures = output(encoded, "cell_features", encoderName);
    result.timings["encoder"] = secondsSince(clock);

    clock = std::chrono::steady_clock::now();
    Decoded decoded = decode(memory);
    result.timings["decoder"] = secondsSince(clock);

    clock = std::chrono::steady_clock::now();
    const CellHeadOutput head = cellHead(decoded.states, cellFeatures);
    result.timings["cell head"] = secondsSince(clock);

    // Boxes of horizontal spans reach from their first to their last cell; the cells
    // merged into a span give no box of their own.
    const std::map<int, int>& merge = decoded.merge;
    const std::vector<std::array<float, 3>>& classValues = head.classes;
    const std::vector<std::array<float, 4>>& centreBoxes = head.boxes;
    std::vector<int>& sequence = decoded.sequence;
    result.tagSeq = std::move(sequence);
    std::set<int> skipped;
    const int boxCount = static_cast<int>(centreBoxes.size());
    for (int j = 0; j < boxCount; ++j) {
        std::array<float, 4> box = centreBoxes[static_cast<std::size_t>(j)];
        if (const auto it = merge.find(j); it != merge.end()) {
            int e = it->second < 0 ? boxCount + it->second : it->second;
            e = std::clamp(e, 0, boxCount - 1);
            const auto& end = centreBoxes[static_cast<std::size_t>(e)];
            const double left = box[0] - box[2] / 2.0, top = box[1] - box[3] / 2.0;
            const double right = end[0] + end[2] / 2.0, bottom = end[1] + end[3] / 2.0;
            const double topEnd = end[1] - end[3] / 2.0;
            const double w = right - left, h = bottom - top;
            box = {static_cast<float>(left + w / 2.0), static_cast<float>(std::min(top, topEnd) + h / 2.0),
                   static_cast<float>(w), static_cast<float>(h)};
            if (e != j) skipped.insert(e);
        } else if (skipped.count(j)) {
            continue;
        }
        const auto& c = classValues[static_cast<std::size_t>(j)];
        result.classes.push_back(argmax(c.data(), 3));
        const double cx = box[0], cy = box[1], bw = box[2], bh = box[3];
        result.boxes.push_back({cx - bw / 2, cy - bh / 2, cx + bw / 2, cy + bh / 2});
    }
    return result;
}

TableFormer::Details TableFormer::buildResponse(const std::vector<int>& tagSeq, std::vector<std::vector<double>> boxes,
                                                const std::vector<int>& classes, const std::array<double, 4>& tableBox,
                                                const std::vector<TextCell>& cells,
                                                const RecoverEmpty& recoverEmpty) const {
    Details details;
    details.tagSeq = tagSeq;
    details.classes = classes;
    std::vector<std::string> otsl;
    if (tagSeq.size() >= 3) {
        for (std::size_t k = 1; k + 1 < tagSeq.size(); ++k) otsl.push_back(tagName(tagSeq[k]));
    }
    const std::vector<std::string> html = OTSL::toHTML(otsl);

    std::size_t cellTokens = 0;
    for (const std::string& t : html) {
        if (t == "<td>" || t == ">" || OTSL::isCellStart(t)) {
            ++cellTokens;
        }
    }
    if (cellTokens != boxes.size()) {
        std::set<std::size_t> marked;
        std::size_t counter = 0;
        for (const std::string& t : html) {
            if (t == "<td>") {
                ++counter;
            } else if (t == ">") {
                ++counter;
                marked.insert(counter);
            }
        }
        std::vector<std::vector<double>> kept;
        for (std::size_t k = 0; k < boxes.size(); ++k) {
            if (!marked.count(k)) kept.push_back(std::move(boxes[k]));
        }
        boxes = std::move(kept);
    }
    details.bboxes = boxes;

    const Box4 table{tableBox[0], tableBox[1], tableBox[2], tableBox[3]};
    const std::vector<TFTableCell> built =
        TableMatcher::tableCells(html, otsl, TableMatcher::pageBoxes(table, boxes), classes);
    std::vector<PDFCell> textCells;
    for (const TextCell& c : cells) textCells.push_back({c.index, c.text, {c.bbox.l, c.bbox.t, c.bbox.r, c.bbox.b}});

    TableMatcher::PostProcessed processed{built, {}, {}};
    if (!textCells.empty()) {
        processed = TableMatcher::postProcess(built, textCells, TableMatcher::match(built, textCells));
    }

    if (recoverEmpty) {
        std::set<int> namedIDs;
        for (int id : processed.matches.order) {
            for (const CellMatch& m : processed.matches.byTextCell.at(id)) namedIDs.insert(m.tableCellID);
        }
        std::set<std::pair<int, int>> filled;
        for (const TFTableCell& c : processed.cells) {
            if (namedIDs.count(c.cellID)) filled.insert({c.rowID, c.columnID});
        }
        std::vector<const TFTableCell*> empty;
        for (const TFTableCell& c : built) {
            if (!filled.count({c.rowID, c.columnID}) && c.bbox.x1 < c.bbox.x2 && c.bbox.y1 < c.bbox.y2) empty.push_back(&c);
        }
        if (!empty.empty()) {
            std::vector<BBox> regions;
            for (const TFTableCell* c : empty) {
                regions.push_back({c->bbox.x1 * 0.5, c->bbox.y1 * 0.5, c->bbox.x2 * 0.5, c->bbox.y2 * 0.5});
            }
            const std::vector<std::optional<std::string>> texts = recoverEmpty(regions);
            int nextText = 0;
            for (const PDFCell& c : processed.textCells) nextText = std::max(nextText, c.id + 1);
            int nextCell = 0;
            for (const TFTableCell& c : processed.cells) nextCell = std::max(nextCell, c.cellID + 1);
            for (const TFTableCell& c : built) nextCell = std::max(nextCell, c.cellID + 1);
            for (std::size_t k = 0; k < std::min(empty.size(), texts.size()); ++k) {
                if (!texts[k] || texts[k]->empty()) continue;
                TFTableCell copy = *empty[k];
                copy.cellID = nextCell;
                processed.cells.push_back(copy);
                processed.textCells.push_back({nextText, *texts[k], copy.bbox});
                processed.matches.set(nextText, {CellMatch{nextCell, 1.0}});
                ++nextText;
                ++nextCell;
            }
        }
    }

    const TFResponse response = TableMatcher::buildItems(processed.cells, processed.matches, processed.textCells);
    details.rsSeq = otsl;
    details.htmlSeq = html;
    details.structure.otsl = otsl;
    details.structure.numRows = response.numRows;
    details.structure.numCols = response.numCols;
    for (const TFResponseCell& r : response.cells) {
        TableCellItem item;
        item.bbox = BBox{r.bbox.x1, r.bbox.y1, r.bbox.x2, r.bbox.y2};
        std::string text;
        for (const std::string& token : r.tokens) {
            if (!text.empty()) text += ' ';
            text += token;
        }
        item.text = RuleMarks::stripped(text);
        item.startRow = r.startRow;
        item.endRow = r.endRow;
        item.startCol = r.startCol;
        item.endCol = r.endCol;
        item.columnHeader = r.columnHeader;
        item.rowHeader = r.rowHeader;
        item.rowSection = r.rowSection;
        details.structure.cells.push_back(std::move(item));
    }
    return details;
}

}  // namespace ce
