// layout-trace: prints what the layout and table steps make of one PDF page or image,
// step by step, with the page's text layer or, with --ocr and for images, the page's
// recognised text (not turned straight): its text lines, the layout model's detections, the
// table boxes widened to their text lines, the clusters after post-processing, and for
// each table the tokens it is given, the grid the table model reads (one line of OTSL
// tokens per row, with the header rows it misses marked as the table step marks them)
// and its cells with their texts. --render writes the page as the
// layout model is given it (one pixel per point, before the scaling to the model's
// input), so that the model kit's Python evaluation can be run on the same pixels
// (`layout.evaluate --draw`). A developer tool for following a table from the page to
// the CSV.
//
//   layout-trace [--models DIR] [--page N] [--render FILE.png] [--ocr] PDF|IMAGE
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ConversionOptions.h"
#include "core/DocLabel.h"
#include "core/TableTokens.h"
#include "input/DeskewedPage.h"
#include "input/VisionOCR.h"
#include "models/ModelLocation.h"
#include "models/ModelSet.h"
#include "models/OTSL.h"
#include "models/TableBoxes.h"
#include "models/TableHeaders.h"
#include "pipeline/Converter.h"
#include "pipeline/ImagePage.h"
#include "pipeline/PDFPageSource.h"
#include "pipeline/PlatformServices.h"
#include "pipeline/SupportedFiles.h"
#include "platform/OpenMPRuntime.h"
#include "platform/PDFDocument.h"
#include "platform/PNGEncoder.h"

namespace fs = std::filesystem;
using namespace ce;

namespace {

struct Arguments {
    std::optional<fs::path> models;
    int page = 1;
    std::optional<fs::path> render;
    bool ocr = false;
    fs::path pdf;
};

[[noreturn]] void usage(const char* problem) {
    std::fprintf(stderr,
                 "layout-trace: %s\nusage: layout-trace [--models DIR] [--page N] [--render FILE.png] [--ocr] "
                 "PDF|IMAGE\n",
                 problem);
    std::exit(2);
}

Arguments parse(int argc, char** argv) {
    Arguments a;
    bool havePDF = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--models" && hasValue) a.models = fs::path(argv[++i]);
        else if (arg == "--page" && hasValue) a.page = std::atoi(argv[++i]);
        else if (arg == "--render" && hasValue) a.render = fs::path(argv[++i]);
        else if (arg == "--ocr") a.ocr = true;
        else if (!arg.starts_with("--") && !havePDF) {
            a.pdf = arg;
            havePDF = true;
        } else usage(("unexpected argument " + arg).c_str());
    }
    if (!havePDF) usage("no PDF or image given");
    if (a.page < 1) usage("pages count from 1");
    return a;
}

void printCluster(const Cluster& cluster, int depth) {
    std::printf("%*s#%d %s %.2f [%.1f %.1f %.1f %.1f] %zu cells", 2 * depth, "", cluster.id,
                std::string(DocLabels::rawValue(cluster.label)).c_str(), cluster.confidence, cluster.bbox.l,
                cluster.bbox.t, cluster.bbox.r, cluster.bbox.b, cluster.cells.size());
    if (!cluster.children.empty()) std::printf(", %zu children", cluster.children.size());
    if (cluster.cells.size() == 1) std::printf(": %s", cluster.cells.front().text.c_str());
    std::printf("\n");
    for (const Cluster& child : cluster.children) printCluster(child, depth + 1);
}

bool isTableLike(DocLabel label) { return label == DocLabel::table || label == DocLabel::documentIndex; }

void printTable(const TableStructure& table) {
    std::printf("  grid %d rows x %d columns; OTSL by row:\n", table.numRows, table.numCols);
    std::string row;
    for (const std::string& token : table.otsl) {
        if (token != "nl") {
            row += " " + token;
            continue;
        }
        std::printf("   %s\n", row.c_str());
        row.clear();
    }
    if (!row.empty()) std::printf("   %s\n", row.c_str());
    for (const TableCellItem& cell : table.cells) {
        std::printf("  r%d-%d c%d-%d%s%s%s %s\n", cell.startRow, cell.endRow, cell.startCol, cell.endCol,
                    cell.columnHeader ? " head" : "", cell.rowHeader ? " row-head" : "",
                    cell.rowSection ? " section" : "", cell.text.c_str());
    }
}

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

// The page to trace and its text: a PDF page's text layer, with the page turned by a
// half turn when it reads upside down (as it is converted), or the recognised text of
// the page's recognition image.
struct TracedPage {
    std::shared_ptr<const PageSource> page;
    PageText text;
    bool recognised = false;
};

TracedPage tracedPage(const Arguments& args) {
    TracedPage traced;
    if (SupportedFiles::lowercasedExtension(args.pdf) == "pdf") {
        const auto document = PDFDocument::open(args.pdf);
        traced.page = std::make_shared<PDFPageSource>(document->loadPage(args.page - 1));
    } else {
        traced.page = std::make_shared<ImagePage>(args.pdf, args.page - 1);
    }
    std::optional<PageText> layer = args.ocr ? std::nullopt : traced.page->textLayer();
    if (layer) {
        traced.text = std::move(*layer);
        if (traced.text.halfTurned) traced.page = std::make_shared<DeskewedPage>(traced.page, 180);
        return traced;
    }
    const VisionOCR ocr(Languages::ocrLanguages(ConversionOptions::Language::automatic),
                        Converter::Options{}.ocrSegmentGap, PlatformServices::textRecognizer());
    const RecognitionImage image = traced.page->ocrImage(Converter::Options{}.ocrMaxUpscale);
    traced.text = ocr.recognize(image.image, image.scale);
    traced.recognised = true;
    return traced;
}

void printLines(const std::vector<TextCell>& lines) {
    std::printf("text lines:\n");
    for (const TextCell& line : lines) {
        std::printf("  [%.1f %.1f %.1f %.1f] %.2f%s %s\n", line.bbox.l, line.bbox.t, line.bbox.r, line.bbox.b,
                    line.confidence, line.fromOCR ? " ocr" : "", line.text.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    OpenMPRuntime::ensurePassiveWait(argv);
    const Arguments args = parse(argc, argv);
    try {
        const TracedPage traced = tracedPage(args);
        const PageSource& page = *traced.page;
        const PageText& text = traced.text;
        const double width = page.width();
        const double height = page.height();
        const ModelLocation location = args.models ? ModelLocation::directory(*args.models) : ModelLocation::automatic();
        ModelSet models(location, ComputeUnits::all, PlatformServices::modelRuntime());

        const RGBImage image = page.render(1.0);
        if (args.render) writeFile(*args.render, PNGEncoder::encode(image));
        const std::vector<Cluster> detected = models.withLayoutDetector(
            [&](LayoutDetector& detector) { return detector.detect(image, width, height); });
        std::printf("page %d: %.1f x %.1f points, layout render %d x %d, %zu lines, %zu words\n", args.page, width,
                    height, image.width, image.height, text.lines.size(), text.words.size());
        printLines(text.lines);
        std::printf("detections (score at least %.1f):\n", LayoutDetector::scoreThreshold);
        for (const Cluster& cluster : detected) printCluster(cluster, 1);
        std::printf("table boxes widened to their text lines:\n");
        for (const Cluster& cluster : TableBoxes::grown(detected, text.lines)) {
            if (isTableLike(cluster.label)) printCluster(cluster, 1);
        }
        const std::vector<Cluster> clusters = Converter::layoutClusters(detected, text.lines, width, height);
        std::printf("clusters after post-processing:\n");
        for (const Cluster& cluster : clusters) printCluster(cluster, 1);

        const double scale = Converter::tableRenderScale(width, height);
        std::optional<RGBImage> tableRender;
        for (const Cluster& cluster : clusters) {
            if (!isTableLike(cluster.label)) continue;
            if (!tableRender) tableRender = page.render(scale);
            const std::vector<TextCell> tokens = TableTokenChoice::tableTokens(
                cluster, text.words, text.segments, !traced.recognised,
                Converter::Options{}.ocrTableTokens);
            std::printf("table #%d [%.1f %.1f %.1f %.1f]: %zu tokens, render at %.2f pixels per point\n", cluster.id,
                        cluster.bbox.l, cluster.bbox.t, cluster.bbox.r, cluster.bbox.b, tokens.size(), scale);
            try {
                printTable(TableHeaders::marked(models.withTableFormer([&](const TableFormer& former) {
                    return former.predict(*tableRender, scale, width, height, cluster.bbox, cluster.id, tokens, nullptr);
                })));
            } catch (const TableFormerError& error) {
                std::printf("  no structure: %s\n", error.what());
            } catch (const OTSL::ConversionError& error) {
                std::printf("  no structure: %s\n", error.what());
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "layout-trace: %s\n", error.what());
        return 1;
    }
    return 0;
}
