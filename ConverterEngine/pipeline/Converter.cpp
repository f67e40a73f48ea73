#include "pipeline/Converter.h"

#include <cmath>
#include <exception>

#include "core/BoxArt.h"
#include "core/ConversionError.h"
#include "core/Log.h"
#include "core/PageAssembler.h"
#include "core/TableTokens.h"
#include "input/DeskewedPage.h"
#include "input/PageSource.h"
#include "input/StripOCR.h"
#include "input/VisionOCR.h"
#include "models/ChartLabels.h"
#include "models/FigureText.h"
#include "models/FootnoteText.h"
#include "models/HeaderTitles.h"
#include "models/HeadingLines.h"
#include "models/LayoutPostprocessor.h"
#include "models/LayoutRun.h"
#include "models/TableBoxes.h"
#include "models/ModelSet.h"
#include "models/OTSL.h"
#include "models/ParagraphLines.h"
#include "models/RegionLabels.h"
#include "models/SidewaysText.h"
#include "models/TableHeaders.h"
#include "models/TableFormer.h"
#include "pipeline/PlatformServices.h"

namespace ce {

namespace {
using Clock = std::chrono::steady_clock;

void checkCancelled(const Converter::IsCancelled& isCancelled) {
    if (isCancelled && isCancelled()) throw CancellationError();
}

// Degrees of the turn that puts a page drawn upside down upright.
constexpr double halfTurn = 180;

// Where the page's text came from, and the recognition it was built from.
struct ChosenText {
    PageText text;
    bool usedOCR = false;
    std::shared_ptr<const PageSource> page;  // the page the later steps use
    std::optional<double> deskewDegrees;
};
}  // namespace

Converter::Converter(std::shared_ptr<ModelSet> models, Options options)
    : models_(std::move(models)), options_(options) {
    PlatformServices::installSystemLog();
}

std::unique_ptr<Converter> Converter::fromModelDirectory(const std::filesystem::path& modelDirectory, Options options) {
    auto models = std::make_shared<ModelSet>(ModelLocation::directory(modelDirectory), options.computeUnits,
                                             PlatformServices::modelRuntime());
    models->preload();
    return std::make_unique<Converter>(std::move(models), options);
}

void Converter::recordTiming(std::map<std::string, double>& timings, const std::string& key, Clock::time_point start) {
    timings[key] += std::chrono::duration<double>(Clock::now() - start).count();
}

bool Converter::recognitionWins(int layerCount, int recognisedCount) {
    return recognisedCount >= 3 * layerCount && recognisedCount - layerCount >= 80;
}

bool Converter::halfTurnWins(double uprightConfidence, double turnedConfidence) {
    return turnedConfidence >= uprightConfidence + 0.15 && turnedConfidence >= halfTurnTrialConfidence;
}

std::optional<double> Converter::deskewAngle(const Options& options, std::optional<double> measured) {
    if (!(options.deskewMin > 0) || !measured) return std::nullopt;
    const double magnitude = std::abs(*measured);
    if (options.deskewMin <= magnitude && magnitude <= options.deskewMax) return measured;
    return std::nullopt;
}

double Converter::tableRenderScale(double pageWidth, double pageHeight) {
    const double pixelsAtTwo = pageWidth * pageHeight * 4;
    if (pixelsAtTwo > maxTableRenderPixels) return 2.0 * std::sqrt(maxTableRenderPixels / pixelsAtTwo);
    return 2.0;
}

std::vector<Cluster> Converter::runLayout(const PageSource& page, const std::vector<TextCell>& lines) const {
    const RGBImage image = page.render(1.0);
    const std::vector<Cluster> detected = models_->withLayoutDetector(
        [&](LayoutDetector& detector) { return detector.detect(image, page.width(), page.height()); });
    return layoutClusters(detected, lines, page.width(), page.height());
}

std::vector<Cluster> Converter::layoutClusters(const std::vector<Cluster>& detected, const std::vector<TextCell>& lines,
                                               double pageWidth, double pageHeight) {
    LayoutPostprocessor post;
    post.pageWidth = pageWidth;
    post.pageHeight = pageHeight;
    post.cells = lines;
    // The model's detections corrected by what the page's lines say, before post-processing.
    std::vector<Cluster> corrected = FigureText::relabelled(detected, lines);
    corrected = ChartLabels::joined(std::move(corrected), lines, pageWidth, pageHeight);
    corrected = HeaderTitles::relabelled(std::move(corrected), lines);
    corrected = FootnoteText::relabelled(std::move(corrected), lines);
    corrected = RegionLabels::corrected(std::move(corrected), lines);
    corrected = SidewaysText::joined(std::move(corrected), lines);
    corrected = ParagraphLines::joined(std::move(corrected), lines);
    corrected = HeadingLines::joined(std::move(corrected), lines);
    post.clusters = TableBoxes::grown(std::move(corrected), lines);
    return PageAssembler::mergeBoxArt(post.process().clusters);
}

namespace {

using Timings = std::map<std::string, double>;

// Adds the seconds between its creation and its end to one step's timing, also when
// the step throws.
class StepTimer {
public:
    StepTimer(Timings& timings, std::string key) : timings_(timings), key_(std::move(key)), start_(Clock::now()) {}
    ~StepTimer() { Converter::recordTiming(timings_, key_, start_); }
    StepTimer(const StepTimer&) = delete;
    StepTimer& operator=(const StepTimer&) = delete;

private:
    Timings& timings_;
    std::string key_;
    Clock::time_point start_;
};

// A recognition of the page and the image it was made from: the page's recognition
// image, or that image turned by a half turn.
struct Recognition {
    VisionOCR::Observations observations;
    RGBImage image;
    bool halfTurned = false;
};

// Recognises the page's image. A page read poorly is recognised again turned by a half
// turn, and that reading is kept when it reads clearly better: a page scanned upside
// down gives garbage at low confidence the right way up.
Recognition recognise(const VisionOCR& ocr, RecognitionImage image) {
    VisionOCR::Observations seen = ocr.observe(image.image, image.scale);
    const double confidence = seen.meanConfidence();
    if (seen.characterCount() > 0 && confidence < Converter::halfTurnTrialConfidence) {
        RGBImage turned = DeskewedPage::rotate(image.image, halfTurn);
        VisionOCR::Observations turnedSeen = ocr.observe(turned, image.scale);
        if (Converter::halfTurnWins(confidence, turnedSeen.meanConfidence()))
            return {std::move(turnedSeen), std::move(turned), true};
    }
    return {std::move(seen), std::move(image.image), false};
}

// Recognises a page whose text layer is thin (under 300 visible characters) and keeps
// the recognition only when it wins over the layer; a failed recognition leaves the layer.
std::optional<Recognition> recognitionRicherThan(const PageText& layer, const PageSource& page, const VisionOCR& ocr,
                                                 const Converter::Options& options, Timings& timings) {
    const int layerCount = nonWhitespaceCharacterCount(layer.lines);
    if (layerCount >= 300) return std::nullopt;
    RecognitionImage image = page.ocrImage(options.ocrMaxUpscale);
    const StepTimer timer(timings, "text");
    try {
        Recognition seen = recognise(ocr, std::move(image));
        if (!Converter::recognitionWins(layerCount, seen.observations.characterCount())) return std::nullopt;
        return seen;
    } catch (const CancellationError&) {
        throw;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The text step: the text layer when it is rich enough, else recognition, with the
// page turned straight when the recognised lines show a skew within the limits.
ChosenText chooseText(const std::shared_ptr<const PageSource>& page, const VisionOCR& ocr,
                      const Converter::Options& options, Timings& timings) {
    std::optional<PageText> layer;
    std::optional<Recognition> recognition;
    if (!options.forceOCR) {
        {
            const StepTimer timer(timings, "text");
            layer = page->textLayer();
        }
        if (layer) recognition = recognitionRicherThan(*layer, *page, ocr, options, timings);
    }
    if (!recognition && !layer) {
        RecognitionImage image = page->ocrImage(options.ocrMaxUpscale);
        const StepTimer timer(timings, "text");
        recognition = recognise(ocr, std::move(image));
    }
    ChosenText chosen;
    chosen.page = page;
    if (!recognition) {
        chosen.text = std::move(*layer);
        // A page drawn upside down is read turned by a half turn, like a skewed scan
        // turned straight, so that its renders agree with its text.
        if (chosen.text.halfTurned) {
            chosen.page = std::make_shared<DeskewedPage>(page, halfTurn);
            chosen.deskewDegrees = halfTurn;
        }
        return chosen;
    }
    const StepTimer timer(timings, "text");
    // The recognised image is the page turned by `turn`; its skew is turned away as well.
    const double turn = recognition->halfTurned ? halfTurn : 0;
    const std::optional<double> angle = Converter::deskewAngle(options, recognition->observations.skewDegrees);
    if (angle || recognition->halfTurned) {
        chosen.page = std::make_shared<DeskewedPage>(page, turn + angle.value_or(0));
        chosen.deskewDegrees = turn + angle.value_or(0);
    }
    if (angle) {
        const RGBImage ink = DeskewedPage::rotate(recognition->image, -*angle);
        chosen.text = ocr.pageText(recognition->observations, ink, -*angle);
    } else {
        chosen.text = ocr.pageText(recognition->observations, recognition->image, 0);
    }
    chosen.usedOCR = true;
    return chosen;
}

// The table step's grids and the one render of the page they were read from.
struct TableStep {
    PageAssembler::TableMap tables;
    std::optional<RGBImage> render;
    double scale = 0;
};

// The table step: every table-like region's grid from one render of the page, with the
// header rows the table model misses marked. A table whose structure cannot be read
// stays without one; other failures fail the page.
TableStep recogniseTables(const PageSource& page, const ChosenText& chosen, const std::vector<Cluster>& clusters,
                          const std::vector<std::string>& ocrLanguages, const Converter::IsCancelled& isCancelled,
                          ModelSet& models, const Converter::Options& options, Timings& timings) {
    TableStep step;
    std::vector<const Cluster*> tableClusters;
    for (const Cluster& cluster : clusters) {
        if (layout::isTableLike(cluster.label)) tableClusters.push_back(&cluster);
    }
    if (tableClusters.empty()) return step;
    const StepTimer timer(timings, "tables");
    const double width = page.width();
    const double height = page.height();
    step.scale = Converter::tableRenderScale(width, height);
    step.render = page.render(step.scale);
    const bool recoverEmpty = chosen.usedOCR && options.ocrEmptyCells;
    for (const Cluster* cluster : tableClusters) {
        checkCancelled(isCancelled);
        const std::vector<TextCell> tokens = TableTokenChoice::tableTokens(
            *cluster, chosen.text.words, chosen.text.segments, !chosen.usedOCR, options.ocrTableTokens);
        TableFormer::RecoverEmpty recover;
        if (recoverEmpty) {
            recover = [&render = *step.render, tokens, &ocrLanguages, scale = step.scale](const std::vector<BBox>& boxes) {
                return StripOCR::recognizeRegions(boxes, render, tokens, ocrLanguages, scale,
                                                  *PlatformServices::textRecognizer(), PlatformServices::labelFont());
            };
        }
        try {
            step.tables[cluster->id] = TableHeaders::marked(models.withTableFormer([&](const TableFormer& former) {
                return former.predict(*step.render, step.scale, width, height, cluster->bbox, cluster->id, tokens,
                                      recover);
            }));
        } catch (const TableFormerError& e) {
            Log::error(Log::Category::engine, {"table left without structure: ", std::string(e.what())});
        } catch (const OTSL::ConversionError& e) {
            Log::error(Log::Category::engine, {"table left without structure: ", std::string(e.what())});
        }
    }
    return step;
}

// The picture step: pictures and formulas without text, cut at the picture scale (from
// the table render when it has that scale).
std::map<int, std::vector<std::uint8_t>> cutPictures(const PageSource& page, const AssembledPage& assembled,
                                                     const TableStep& tables, const Converter::Options& options,
                                                     Timings& timings) {
    if (!(options.pictureScale > 0)) return {};
    std::vector<CropRegion> regions;
    for (const DocElement& element : assembled.body) {
        if (element.kind == DocElementKind::picture || (element.kind == DocElementKind::formula && element.text.empty()))
            regions.push_back({element.clusterID, element.bbox});
    }
    if (regions.empty()) return {};
    const StepTimer timer(timings, "pictures");
    const RGBImage* reuse = (tables.render && tables.scale == options.pictureScale) ? &*tables.render : nullptr;
    return page.crops(regions, options.pictureScale, PlatformServices::cropEncoder(), reuse);
}

}  // namespace

PageResult Converter::convert(const std::shared_ptr<const PageSource>& page, const std::vector<std::string>& ocrLanguages,
                              const IsCancelled& isCancelled) const {
    PageResult result;
    const VisionOCR ocr(ocrLanguages, options_.ocrSegmentGap, PlatformServices::textRecognizer());
    const ChosenText chosen = chooseText(page, ocr, options_, result.timings);
    checkCancelled(isCancelled);

    const PageSource& current = *chosen.page;
    {
        const StepTimer timer(result.timings, "layout");
        result.clusters = runLayout(current, chosen.text.lines);
    }
    checkCancelled(isCancelled);

    const TableStep tables =
        recogniseTables(current, chosen, result.clusters, ocrLanguages, isCancelled, *models_, options_, result.timings);
    checkCancelled(isCancelled);

    {
        const StepTimer timer(result.timings, "assembly");
        result.page = PageAssembler::assemble(result.clusters, tables.tables, current.width(), current.height(),
                                              ReadingOrderMode::tolerantEdgeOverlap, chosen.text.words);
    }
    result.crops = cutPictures(current, result.page, tables, options_, result.timings);

    result.pageWidth = current.width();
    result.pageHeight = current.height();
    result.usedOCR = chosen.usedOCR;
    result.deskewDegrees = chosen.deskewDegrees;
    return result;
}

}  // namespace ce
