#include "platform/TesseractRecognizer.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <utility>

#include <omp.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include "core/EngineError.h"
#include "platform/TesseractLanguages.h"

namespace ce {

namespace {

struct TextDeleter {
    void operator()(char* text) const { delete[] text; }
};
using TessText = std::unique_ptr<char, TextDeleter>;

// Tesseract's recogniser asks OpenMP for four threads per network layer, which on a
// busy machine spins far more than it gains. While one recognition runs, this makes
// every parallel region started from the calling thread inactive (one thread); the
// setting is per thread, so model inference on other threads keeps its threads, and
// it is put back afterwards for later work on this thread.
class SingleThreadedOpenMP {
public:
    SingleThreadedOpenMP() : saved_(omp_get_max_active_levels()) { omp_set_max_active_levels(0); }
    ~SingleThreadedOpenMP() { omp_set_max_active_levels(saved_); }
    SingleThreadedOpenMP(const SingleThreadedOpenMP&) = delete;
    SingleThreadedOpenMP& operator=(const SingleThreadedOpenMP&) = delete;

private:
    int saved_;
};

struct PixelBox {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Tesseract's instances for this thread, keyed by language set and dictionary use.
// Instances are created on first use and kept for the thread's life.
tesseract::TessBaseAPI& instance(const std::string& languages, bool dictionaries) {
    thread_local std::map<std::pair<std::string, bool>, std::unique_ptr<tesseract::TessBaseAPI>> cache;
    auto& slot = cache[{languages, dictionaries}];
    if (slot) return *slot;
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    std::vector<std::string> names;
    std::vector<std::string> values;
    if (!dictionaries) {
        names = {"load_system_dawg", "load_freq_dawg"};
        values = {"0", "0"};
    }
    const std::string directory = TesseractLanguages::dataDirectory().string();
    if (api->Init(directory.c_str(), languages.c_str(), tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values,
                  false) != 0) {
        cache.erase({languages, dictionaries});
        throw EngineError::textRecognition("Tesseract cannot load language data " + languages + " from " + directory);
    }
    api->SetVariable("debug_file", "/dev/null");
    slot = std::move(api);
    return *slot;
}

// The outline of a pixel box whose text runs along a line of the given slope (pixel
// units, y downwards): the top and bottom edges follow the slope, and the quad just
// fits the box, so its height is the box height less the rise along its width.
TextQuad tiltedQuad(const PixelBox& box, double slope, int width, int height) {
    const double w = box.right - box.left;
    const double rise = slope * w;
    const double textHeight = std::max(1.0, (box.bottom - box.top) - std::abs(rise));
    const double topAtLeft = rise >= 0 ? box.top : box.top - rise;
    const double topAtRight = topAtLeft + rise;
    const auto point = [&](double x, double y) {
        return NormalizedPoint{x / width, 1.0 - y / height};
    };
    TextQuad quad;
    quad.topLeft = point(box.left, topAtLeft);
    quad.topRight = point(box.right, topAtRight);
    quad.bottomLeft = point(box.left, topAtLeft + textHeight);
    quad.bottomRight = point(box.right, topAtRight + textHeight);
    quad.boundingBox = {static_cast<double>(box.left) / width, 1.0 - static_cast<double>(box.bottom) / height,
                        static_cast<double>(box.right) / width, 1.0 - static_cast<double>(box.top) / height};
    return quad;
}

double baselineSlope(const tesseract::ResultIterator& it) {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    if (!it.Baseline(tesseract::RIL_TEXTLINE, &x1, &y1, &x2, &y2) || x2 == x1) return 0;
    return static_cast<double>(y2 - y1) / (x2 - x1);
}

}  // namespace

const TesseractRecognizer& TesseractRecognizer::shared() {
    static const TesseractRecognizer recognizer;
    return recognizer;
}

std::vector<RecognizedLine> TesseractRecognizer::recognize(const RecognizerImage& image, const Request& request) const {
    if (image.pixels == nullptr || image.width <= 0 || image.height <= 0 ||
        (image.channels != 1 && image.channels != 3))
        throw EngineError::textRecognition("the image cannot be read");
    const std::string languages =
        TesseractLanguages::resolve(request.languages, TesseractLanguages::dataDirectory());
    const SingleThreadedOpenMP oneThread;
    tesseract::TessBaseAPI& api = instance(languages, request.languageCorrection);
    api.SetPageSegMode(request.layout == Layout::page ? tesseract::PSM_AUTO : tesseract::PSM_SINGLE_COLUMN);
    api.SetImage(image.pixels, image.width, image.height, image.channels, image.width * image.channels);
    api.SetSourceResolution(std::clamp(static_cast<int>(std::lround(72.0 * request.pixelsPerPoint)), 70, 2400));
    const int status = api.Recognize(nullptr);
    if (status != 0) {
        api.Clear();
        throw EngineError::textRecognition("Tesseract could not recognise the image");
    }

    std::vector<RecognizedLine> lines;
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (it) {
        do {
            if (it->Empty(tesseract::RIL_TEXTLINE)) continue;
            RecognizedLine line;
            PixelBox box;
            it->BoundingBox(tesseract::RIL_TEXTLINE, &box.left, &box.top, &box.right, &box.bottom);
            const double slope = baselineSlope(*it);
            line.quad = tiltedQuad(box, slope, image.width, image.height);
            line.confidence = std::clamp(it->Confidence(tesseract::RIL_TEXTLINE) / 100.0, 0.0, 1.0);
            do {
                if (it->Empty(tesseract::RIL_WORD)) continue;
                const TessText word(it->GetUTF8Text(tesseract::RIL_WORD));
                if (!word || *word == '\0') continue;
                PixelBox wordBox;
                it->BoundingBox(tesseract::RIL_WORD, &wordBox.left, &wordBox.top, &wordBox.right, &wordBox.bottom);
                if (!line.text.empty()) line.text += ' ';
                const std::size_t begin = line.text.size();
                line.text += word.get();
                line.rangeBoxes.push_back({begin, line.text.size(), tiltedQuad(wordBox, slope, image.width, image.height)});
            } while (!it->IsAtFinalElement(tesseract::RIL_TEXTLINE, tesseract::RIL_WORD) &&
                     it->Next(tesseract::RIL_WORD));
            if (!line.text.empty()) lines.push_back(std::move(line));
        } while (it->Next(tesseract::RIL_TEXTLINE));
    }
    it.reset();
    api.Clear();
    return lines;
}

}  // namespace ce
