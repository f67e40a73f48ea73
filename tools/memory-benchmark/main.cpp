// memory-benchmark: peak memory of converting one long document. Writes a PDF of N
// text pages, each with a drawn figure, converts it with stand-in models (or the
// models in --models DIR) and prints the peak resident size before and after, and per
// page. Pages are held one at a time, so the growth per page is what the results keep.
//
//   memory-benchmark [--models DIR] PAGES...
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "models/ModelLocation.h"
#include "models/ModelSet.h"
#include "pipeline/DocumentConverter.h"
#include "pipeline/PlatformServices.h"
#include "testsupport/StandInModels.h"

namespace fs = std::filesystem;
using namespace ce;

namespace {

// A PDF of `pages` pages of a few lines of text and a filled figure, with a correct
// cross-reference table.
std::string longPDF(int pages) {
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>", ""};
    std::string kids;
    for (int i = 0; i < pages; ++i) {
        const int page = 3 + 2 * i;
        kids += std::to_string(page) + " 0 R ";
        std::string content = "BT /F1 11 Tf 60 740 Td 14 TL";
        for (int line = 0; line < 12; ++line)
            content += " (Page " + std::to_string(i + 1) + " line " + std::to_string(line + 1) +
                       ": the quick brown fox jumps over the lazy dog.) '";
        content += " ET 0.2 0.4 0.8 rg 60 300 300 200 re f";
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 << /Type "
                          "/Font /Subtype /Type1 /BaseFont /Helvetica >> >> >> /Contents " +
                          std::to_string(page + 1) + " 0 R >>");
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>";
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    char entry[32];
    for (std::size_t offset : offsets) {
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    return pdf + "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<fs::path> models;
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--models" && i + 1 < argc) {
            models = argv[++i];
        } else if (std::atoi(arg.c_str()) > 0) {
            counts.push_back(std::atoi(arg.c_str()));
        } else {
            std::fprintf(stderr, "usage: memory-benchmark [--models DIR] PAGES...\n");
            return 2;
        }
    }
    if (counts.empty()) counts = {100, 1000};
    const fs::path scratch = fs::temp_directory_path() / ("memory-benchmark-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    if (!models) {
        models = scratch / "models";
        StandInModels::writeLayoutDetector(*models, {});
        StandInModels::writeTableEncoder(*models, {});
        StandInModels::writeTableDecoderStep(*models, {});
        StandInModels::writeTableCellHead(*models, {});
    }
    const DocumentConverter converter(
        std::make_shared<ModelSet>(ModelLocation::directory(*models), ComputeUnits::all, PlatformServices::modelRuntime()));
    // One page first, so that loading the models is not counted; then the counts in the
    // order given (the peak only grows, so give them smallest first).
    const fs::path warmUp = scratch / "one.pdf";
    std::ofstream(warmUp, std::ios::binary) << longPDF(1);
    converter.convert(warmUp, {}).get();
    for (int pages : counts) {
        const fs::path file = scratch / ("long-" + std::to_string(pages) + ".pdf");
        std::ofstream(file, std::ios::binary) << longPDF(pages);
        const double before = peakMegabytes();
        const ConversionResult result = converter.convert(file, {}).get();
        const double after = peakMegabytes();
        int failed = 0;
        for (const ConvertedPage& page : result.pages) failed += page.failure ? 1 : 0;
        std::printf("%5d pages (%d failed) in %7.1f s: peak %7.1f MB before, %7.1f MB after, %.3f MB per page\n", pages,
                    failed, result.seconds, before, after, (after - before) / pages);
    }
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    return 0;
}
