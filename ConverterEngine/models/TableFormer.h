// Recognises the structure of one table region: crops the table from the page
// image, runs the three-part table model (image encoder, one-step tag decoder, cell
// head) to get OTSL tokens with one box and class per cell, matches the page's text
// cells into the predicted cells and returns a TableStructure. Immutable after
// construction; callers serialise use of the models (ModelSet's table lock).
#pragma once

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/BBox.h"
#include "core/TableStructure.h"
#include "core/TextCell.h"
#include "image/RGBImage.h"
#include "models/TableModels.h"

namespace ce {

class TableFormerError : public std::runtime_error {
public:
    enum class Kind { emptyCrop };
    TableFormerError() : std::runtime_error("table box is empty after scaling to the 1024-pixel page") {}
    Kind kind() const { return Kind::emptyCrop; }
};

class TableFormer {
public:
    // Pixels per page point at which the model works.
    static constexpr double tableScale = 2.0;

    // Boxes of predicted cells without text, in page points -> one optional text each.
    using RecoverEmpty = std::function<std::vector<std::optional<std::string>>(const std::vector<BBox>&)>;

    struct Details {
        TableStructure structure;
        std::vector<int> tagSeq;
        std::vector<std::string> rsSeq;
        std::vector<std::string> htmlSeq;
        std::vector<std::vector<double>> bboxes;
        std::vector<int> classes;
        std::optional<RGBImage> crop448;
        std::map<std::string, double> timings;  // "preprocess", "model" (of it "encoder", "decoder", "cell head"), "matching"
    };

    // The built-in token map, used when the step model carries no usable one.
    static const std::map<std::string, int>& fallbackTokenMap();
    // A token map read from JSON, accepted only when its ids are unique and it holds
    // "<start>", "<end>" and every OTSL token.
    static std::optional<std::map<std::string, int>> parseTokenMap(const std::string& json);

    explicit TableFormer(TableModels models);

    const TableModels& models() const { return models_; }
    const std::map<std::string, int>& tagIDs() const { return tagIDs_; }
    bool encoderTakesFloat() const { return encoderTakesFloat_; }

    // The table's structure with cell boxes in page points. Throws TableFormerError,
    // OTSL::ConversionError, EngineError::modelOutput and model runtime errors.
    TableStructure predict(const RGBImage& page, double renderScale, double pageWidth, double pageHeight,
                           const BBox& tableBBox, int clusterID, const std::vector<TextCell>& tokens,
                           const RecoverEmpty& recoverEmpty) const;

    // The full prediction at tableScale: table box (x1, y1, x2, y2) and text cells in
    // model coordinates, an optional target page size in pixels.
    Details predictDetails(const RGBImage& page, const std::array<double, 4>& tableBox,
                           const std::vector<TextCell>& cells, std::optional<std::pair<int, int>> targetSize,
                           const RecoverEmpty& recoverEmpty) const;

    // The decoder's tag sequence, per-cell classes and relative corner boxes for a
    // 448 x 448 input (unrounded values, 3 per pixel, and the rounded image).
    struct Inference {
        std::vector<int> tagSeq;
        std::vector<std::vector<double>> boxes;
        std::vector<int> classes;
        std::map<std::string, double> timings;  // seconds: "encoder", "decoder", "cell head"
    };
    Inference infer(const std::vector<double>& values448, const RGBImage& image448) const;

    // OTSL tokens, HTML, box dropping, cell matching and empty-cell recovery.
    Details buildResponse(const std::vector<int>& tagSeq, std::vector<std::vector<double>> boxes,
                          const std::vector<int>& classes, const std::array<double, 4>& tableBox,
                          const std::vector<TextCell>& cells, const RecoverEmpty& recoverEmpty) const;

private:
    // The decoder's output: the tag sequence from "<start>" on, the hidden state of every
    // cell that gets a box, and the first and last state of each horizontal span.
    struct Decoded {
        std::vector<int> sequence;
        std::vector<std::vector<float>> states;
        std::map<int, int> merge;
    };
    // The cell head's classes and centre boxes (cx, cy, w, h), one per state.
    struct CellHeadOutput {
        std::vector<std::array<float, 3>> classes;
        std::vector<std::array<float, 4>> boxes;
    };

    // The steps of infer(): the encoder, the decoder loop, the cell head.
    FeatureValues encode(const std::vector<double>& values448, const RGBImage& image448) const;
    Decoded decode(const MultiArray& memory) const;
    CellHeadOutput cellHead(const std::vector<std::vector<float>>& states, const MultiArray& cellFeatures) const;

    std::string tagName(int id) const;
    int tagID(const std::string& name) const;

    TableModels models_;
    std::map<std::string, int> tagIDs_;
    std::map<int, std::string> tagNames_;
    bool encoderTakesFloat_ = false;
};

}  // namespace ce
