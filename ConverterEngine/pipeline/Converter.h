// The per-page pipeline: decides where a page's text comes from (its text layer or
// text recognition), straightens a skewed scan, finds the page's regions, rebuilds
// each table's grid, assembles ordered document elements and cuts pictures out,
// timing each step ("text", "layout", "tables", "assembly", "pictures").
//
// One Converter serves the pages of one document, one page at a time; it has no
// mutable state of its own. The shared ModelSet serialises each model under its
// own lock, and the two locks are never held together.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Cluster.h"
#include "core/ConverterOptions.h"
#include "core/PageResult.h"
#include "core/TextCell.h"

namespace ce {

class ModelSet;
class PageSource;

class Converter {
public:
    using Options = ConverterOptions;
    using IsCancelled = std::function<bool()>;

    // The pixel budget of the page render used for tables.
    static constexpr double maxTableRenderPixels = 16'000'000;

    Converter(std::shared_ptr<ModelSet> models, Options options);
    // A converter over its own model set for `modelDirectory`, preloaded; throws when
    // a model cannot be loaded.
    static std::unique_ptr<Converter> fromModelDirectory(const std::filesystem::path& modelDirectory, Options options);

    const Options& options() const { return options_; }
    const std::shared_ptr<ModelSet>& models() const { return models_; }

    // Converts one page. Throws CancellationError when `isCancelled` turns true at a
    // check, and the errors of the text, layout and table steps that fail the page.
    PageResult convert(const std::shared_ptr<const PageSource>& page, const std::vector<std::string>& ocrLanguages,
                       const IsCancelled& isCancelled) const;

    // The layout step: detection under the layout lock, post-processing, box-art merge.
    std::vector<Cluster> runLayout(const PageSource& page, const std::vector<TextCell>& lines) const;
    // The layout step after detection: pictures and formulas that hold the page's own
    // text read as text, table boxes widened to their text lines, post-processing with
    // the page's lines, box-art merge.
    static std::vector<Cluster> layoutClusters(const std::vector<Cluster>& detected, const std::vector<TextCell>& lines,
                                               double pageWidth, double pageHeight);

    // Adds the seconds since `start` to the key's entry.
    static void recordTiming(std::map<std::string, double>& timings, const std::string& key,
                             std::chrono::steady_clock::time_point start);

    // Recognised text wins over a text layer of `layerCount` visible characters when it
    // has at least three times as many and at least 80 more.
    static bool recognitionWins(int layerCount, int recognisedCount);
    // A recognition read this poorly (mean confidence below this) is made again on the
    // image turned by a half turn, as a page scanned upside down needs; upright pages,
    // read with far more confidence, are recognised once.
    static constexpr double halfTurnTrialConfidence = 0.6;
    // The half-turned reading is kept when its mean confidence is clearly higher (by 0.15)
    // and no lower than an upright page's, so that a page of pictures read as garbage
    // both ways is never turned.
    static bool halfTurnWins(double uprightConfidence, double turnedConfidence);
    // The skew to correct, when the measured one lies within the options' limits.
    static std::optional<double> deskewAngle(const Options& options, std::optional<double> measured);
    // Pixels per point of the table render: 2, lowered to keep within maxTableRenderPixels.
    static double tableRenderScale(double pageWidth, double pageHeight);

private:
    std::shared_ptr<ModelSet> models_;
    Options options_;
};

}  // namespace ce
