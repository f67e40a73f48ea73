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
#include "models/LayoutPostprocessor.h"
#include "models/ModelSet.h"
#include "models/OTSL.h"
#include "models/TableFormer.h"
#include "pipeline/PlatformServices.h"

namespace ce {

namespace {
using Clock = std::chrono::steady_clock;

void checkCancelled(const Converter::IsCancelled& isCancelled) {
    if (isCancelled && isCancelled()) throw CancellationError();
}

bool isTableLike(DocLabel label) { return label == DocLabel::table || label == DocLabel::documentIndex; }

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
    LayoutPostprocessor post;
    post.pageWidth = page.width();
    post.pageHeight = page.height();
    post.cells = lines;
    post.clusters = detected;
    const std::vector<Cluster> clusters = post.process().clusters;
    return PageAssembler::mergeBoxArt(clusters);
}

PageResult Converter::convert(const std::shared_ptr<const PageSource>& page, const std::vector<std::string>& ocrLanguages,
                              const IsCancelled& isCancelled) const {
    PageResult result;
    std::map<std::string, double>& timings = result.timings;
    const VisionOCR ocr(ocrLanguages, options_.ocrSegmentGap, PlatformServices::textRecognizer());

    // Text step: the text layer when it is rich enough, else recognition.
    ChosenText chosen;
    chosen.page = page;
    std::optional<PageText> layer;
    std::optional<VisionOCR::Observations> observations;
    RGBImage recognised;
    if (!options_.forceOCR) {
        auto start = Clock::now();
        layer = page->textLayer();
        recordTiming(timings, "text", start);
        if (layer) {
            const int layerCount = nonWhitespaceCharacterCount(layer->lines);
            if (layerCount < 300) {
                RecognitionImage image = page->ocrImage(options_.ocrMaxUpscale);
                start = Clock::now();
                try {
                    VisionOCR::Observations seen = ocr.observe(image.image, image.scale);
                    recordTiming(timings, "text", start);
                    if (recognitionWins(layerCount, seen.characterCount())) {
                        observations = std::move(seen);
                        recognised = std::move(image.image);
                    }
                } catch (const CancellationError&) {
                    throw;
                } catch (const std::exception&) {
                    // Recognition failed: the text layer stands.
                    recordTiming(timings, "text", start);
                }
            }
        }
    }
    if (!observations && !layer) {
        RecognitionImage image = page->ocrImage(options_.ocrMaxUpscale);
        const auto start = Clock::now();
        observations = ocr.observe(image.image, image.scale);
        recordTiming(timings, "text", start);
        recognised = std::move(image.image);
    }
    if (observations) {
        const auto start = Clock::now();
        if (const auto angle = deskewAngle(options_, observations->skewDegrees)) {
            chosen.page = std::make_shared<DeskewedPage>(page, *angle);
            const RGBImage ink = DeskewedPage::rotate(recognised, -*angle);
            chosen.text = ocr.pageText(*observations, ink, -*angle);
            chosen.deskewDegrees = angle;
        } else {
            chosen.text = ocr.pageText(*observations, recognised, 0);
        }
        recordTiming(timings, "text", start);
        chosen.usedOCR = true;
    } else {
        chosen.text = std::move(*layer);
    }
    checkCancelled(isCancelled);

    const PageSource& current = *chosen.page;
    const double width = current.width();
    const double height = current.height();

    // Layout step.
    auto start = Clock::now();
    try {
        result.clusters = runLayout(current, chosen.text.lines);
    } catch (...) {
        recordTiming(timings, "layout", start);
        throw;
    }
    recordTiming(timings, "layout", start);
    checkCancelled(isCancelled);

    // Table step: one render for all tables of the page.
    PageAssembler::TableMap tables;
    std::optional<RGBImage> tableRender;
    double tableScale = 0;
    std::vector<const Cluster*> tableClusters;
    for (const Cluster& cluster : result.clusters) {
        if (isTableLike(cluster.label)) tableClusters.push_back(&cluster);
    }
    if (!tableClusters.empty()) {
        start = Clock::now();
        tableScale = tableRenderScale(width, height);
        tableRender = current.render(tableScale);
        const bool recoverEmpty = chosen.usedOCR && options_.ocrEmptyCells;
        for (const Cluster* cluster : tableClusters) {
            if (isCancelled && isCancelled()) {
                recordTiming(timings, "tables", start);
                throw CancellationError();
            }
            const std::vector<TextCell> tokens = TableTokenChoice::tableTokens(
                *cluster, chosen.text.words, chosen.text.segments, !chosen.usedOCR, options_.ocrTableTokens);
            TableFormer::RecoverEmpty recover;
            if (recoverEmpty) {
                recover = [&render = *tableRender, tokens, &ocrLanguages, tableScale](const std::vector<BBox>& boxes) {
                    return StripOCR::recognizeRegions(boxes, render, tokens, ocrLanguages, tableScale,
                                                      *PlatformServices::textRecognizer(), PlatformServices::labelFont());
                };
            }
            try {
                tables[cluster->id] = models_->withTableFormer([&](const TableFormer& former) {
                    return former.predict(*tableRender, tableScale, width, height, cluster->bbox, cluster->id, tokens,
                                          recover);
                });
            } catch (const TableFormerError& e) {
                Log::error(Log::Category::engine, {"table left without structure: ", std::string(e.what())});
            } catch (const OTSL::ConversionError& e) {
                Log::error(Log::Category::engine, {"table left without structure: ", std::string(e.what())});
            } catch (...) {
                recordTiming(timings, "tables", start);
                throw;
            }
        }
        recordTiming(timings, "tables", start);
    }
    checkCancelled(isCancelled);

    // Assembly step.
    start = Clock::now();
    result.page = PageAssembler::assemble(result.clusters, tables, width, height, ReadingOrderMode::tolerantEdgeOverlap,
                                          chosen.text.words);
    recordTiming(timings, "assembly", start);

    // Picture step: pictures and formulas without text, cut at the picture scale.
    if (options_.pictureScale > 0) {
        std::vector<CropRegion> regions;
        for (const DocElement& element : result.page.body) {
            if (element.kind == DocElementKind::picture ||
                (element.kind == DocElementKind::formula && element.text.empty())) {
                regions.push_back({element.clusterID, element.bbox});
            }
        }
        if (!regions.empty()) {
            start = Clock::now();
            const RGBImage* reuse = (tableRender && tableScale == options_.pictureScale) ? &*tableRender : nullptr;
            result.crops = current.crops(regions, options_.pictureScale, PlatformServices::cropEncoder(), reuse);
            recordTiming(timings, "pictures", start);
        }
    }

    result.pageWidth = width;
    result.pageHeight = height;
    result.usedOCR = chosen.usedOCR;
    result.deskewDegrees = chosen.deskewDegrees;
    return result;
}

}  // namespace ce
