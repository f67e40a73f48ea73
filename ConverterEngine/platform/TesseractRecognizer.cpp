#include "platform/TesseractRecognizer.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <numbers>
#include <utility>

#include <leptonica/allheaders.h>
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

using InstanceKey = std::pair<std::string, bool>;  // language set, dictionaries on

std::unique_ptr<tesseract::TessBaseAPI> loadInstance(const std::string& languages, bool dictionaries) {
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
        throw EngineError::textRecognition("Tesseract cannot load language data " + languages + " from " + directory);
    }
    api->SetVariable("debug_file", "/dev/null");
    return api;
}

// Tesseract's idle instances, shared by all threads, by language set and dictionary
// use. Loading a language set takes a third of a second, and each document converts on
// a thread of its own, so instances outlive the threads that loaded them; there are as
// many of a kind as recognitions of that kind ever ran at once. The mutex guards the
// idle lists; an instance taken out belongs to one recognition until it is given back.
class InstancePool {
public:
    // Never destroyed: its instances would outlive Tesseract's own globals at exit.
    static InstancePool& shared() {
        static auto* pool = new InstancePool;
        return *pool;
    }

    std::unique_ptr<tesseract::TessBaseAPI> take(const InstanceKey& key) {
        {
            const std::lock_guard lock(mutex_);
            auto& idle = idle_[key];
            if (!idle.empty()) {
                auto api = std::move(idle.back());
                idle.pop_back();
                return api;
            }
        }
        return loadInstance(key.first, key.second);
    }

    void giveBack(const InstanceKey& key, std::unique_ptr<tesseract::TessBaseAPI> api) {
        const std::lock_guard lock(mutex_);
        idle_[key].push_back(std::move(api));
    }

private:
    std::mutex mutex_;
    std::map<InstanceKey, std::vector<std::unique_ptr<tesseract::TessBaseAPI>>> idle_;
};

// One instance of the shared pool, held for one recognition and given back cleared.
class PooledInstance {
public:
    explicit PooledInstance(InstanceKey key) : key_(std::move(key)), api_(InstancePool::shared().take(key_)) {}
    ~PooledInstance() {
        api_->Clear();
        InstancePool::shared().giveBack(key_, std::move(api_));
    }
    PooledInstance(const PooledInstance&) = delete;
    PooledInstance& operator=(const PooledInstance&) = delete;

    tesseract::TessBaseAPI& operator*() const { return *api_; }

private:
    InstanceKey key_;
    std::unique_ptr<tesseract::TessBaseAPI> api_;
};

struct PixDeleter {
    void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using PixPtr = std::unique_ptr<Pix, PixDeleter>;

// The caller's pixels as a Leptonica image: 8-bit grey or 32-bit RGB.
PixPtr pixOf(const RecognizerImage& image) {
    PixPtr pix(pixCreate(image.width, image.height, image.channels == 1 ? 8 : 32));
    if (!pix) throw EngineError::textRecognition("the image cannot be read");
    l_uint32* data = pixGetData(pix.get());
    const int wordsPerLine = pixGetWpl(pix.get());
    for (int y = 0; y < image.height; ++y) {
        l_uint32* line = data + static_cast<std::ptrdiff_t>(y) * wordsPerLine;
        const std::uint8_t* row = image.pixels + static_cast<std::ptrdiff_t>(y) * image.width * image.channels;
        for (int x = 0; x < image.width; ++x) {
            if (image.channels == 1) {
                SET_DATA_BYTE(line, x, row[x]);
            } else {
                const std::uint8_t* p = row + 3 * x;
                composeRGBPixel(p[0], p[1], p[2], &line[x]);
            }
        }
    }
    return pix;
}

// The turn between the straightened image Tesseract reads and the caller's image:
// the straightened image is the caller's turned clockwise by `radians` about its
// centre, so a position read there is turned back counter-clockwise.
struct Straightening {
    double radians = 0;
    double centreX = 0, centreY = 0;

    NormalizedPoint toCaller(double x, double y, int width, int height) const {
        const double c = std::cos(radians), s = std::sin(radians);
        const double dx = x - centreX, dy = y - centreY;
        return {(centreX + c * dx + s * dy) / width, 1.0 - (centreY - s * dx + c * dy) / height};
    }
};

// Tesseract refuses an image wider or taller than this; a longer one is read reduced.
constexpr int maxTesseractSide = 32767;

// Pages are thresholded locally and straightened from this many pixels on their shorter
// side: Leptonica's local threshold and skew sweep need a window of a few pixels around
// every pixel, and a sliver of an image holds no line of text that they would help.
constexpr int minLocalThresholdSide = 16;

// The caller's image as Tesseract reads it: reduced to Tesseract's size limit when a
// side exceeds it (positions are normalised to the image, so boxes come back in the
// caller's frame either way).
PixPtr readableImage(const RecognizerImage& image) {
    PixPtr pix = pixOf(image);
    const int longer = std::max(image.width, image.height);
    if (longer <= maxTesseractSide) return pix;
    const auto factor = static_cast<l_float32>(maxTesseractSide) / static_cast<l_float32>(longer);
    PixPtr reduced(pixScale(pix.get(), factor, factor));
    if (!reduced || pixGetWidth(reduced.get()) > maxTesseractSide || pixGetHeight(reduced.get()) > maxTesseractSide)
        throw EngineError::textRecognition("the image is too large to be recognised");
    return reduced;
}

// Leptonica's skew finder trusts a sweep from this confidence on; below this angle
// turning the page would change nothing Tesseract sees.
constexpr float minSkewConfidence = 3.0f;
constexpr float minSkewDegrees = 0.1f;

// The clockwise turn in radians that straightens the page Tesseract has been given,
// measured on Tesseract's own thresholded image; 0 when the page is straight or its
// skew cannot be trusted.
double straighteningRadians(tesseract::TessBaseAPI& api) {
    const PixPtr binary(api.GetThresholdedImage());
    if (!binary) return 0;
    l_float32 degrees = 0, confidence = 0;
    if (pixFindSkew(binary.get(), &degrees, &confidence) != 0) return 0;
    if (confidence < minSkewConfidence || std::abs(degrees) < minSkewDegrees) return 0;
    return degrees * std::numbers::pi / 180.0;
}

// The outline of a pixel box of the straightened image whose text runs along a line of
// the given slope (pixel units, y downwards), in the caller's normalised coordinates:
// the top and bottom edges follow the slope, the quad just fits the box (its height is
// the box height less the rise along its width), and the bounding box is the
// axis-aligned box around the corners once they are turned back.
TextQuad tiltedQuad(const PixelBox& box, double slope, int width, int height, const Straightening& turn) {
    const double w = box.right - box.left;
    const double rise = slope * w;
    const double textHeight = std::max(1.0, (box.bottom - box.top) - std::abs(rise));
    const double topAtLeft = rise >= 0 ? box.top : box.top - rise;
    const double topAtRight = topAtLeft + rise;
    const auto point = [&](double x, double y) { return turn.toCaller(x, y, width, height); };
    TextQuad quad;
    quad.topLeft = point(box.left, topAtLeft);
    quad.topRight = point(box.right, topAtRight);
    quad.bottomLeft = point(box.left, topAtLeft + textHeight);
    quad.bottomRight = point(box.right, topAtRight + textHeight);
    if (turn.radians == 0) {
        quad.boundingBox = {static_cast<double>(box.left) / width, 1.0 - static_cast<double>(box.bottom) / height,
                            static_cast<double>(box.right) / width, 1.0 - static_cast<double>(box.top) / height};
        return quad;
    }
    NormalizedRect bounds{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const double x : {double(box.left), double(box.right)})
        for (const double y : {double(box.top), double(box.bottom)}) {
            const NormalizedPoint p = point(x, y);
            bounds = {std::min(bounds.minX, p.x), std::min(bounds.minY, p.y), std::max(bounds.maxX, p.x),
                      std::max(bounds.maxY, p.y)};
        }
    quad.boundingBox = bounds;
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
    const PooledInstance instance({languages, request.languageCorrection});
    tesseract::TessBaseAPI& api = *instance;
    api.SetPageSegMode(request.layout == Layout::page ? tesseract::PSM_AUTO : tesseract::PSM_SINGLE_COLUMN);
    // Pages are thresholded locally (Sauvola): one global threshold turns the dim side
    // of a phone photo or an unevenly lit scan black and loses its text, while clean
    // pages read the same either way. Strips keep the global threshold.
    const PixPtr pix = readableImage(image);
    const int width = pixGetWidth(pix.get()), height = pixGetHeight(pix.get());
    const bool local = request.layout == Layout::page && std::min(width, height) >= minLocalThresholdSide;
    api.SetVariable("thresholding_method", local ? "2" : "0");
    const double reduction = static_cast<double>(width) / image.width;
    const int resolution =
        std::clamp(static_cast<int>(std::lround(72.0 * request.pixelsPerPoint * reduction)), 70, 2400);
    // A page is read straightened: Tesseract's line finding and recogniser lose whole
    // paragraphs on a page turned by a degree or two. Every box is turned back into the
    // caller's image, so callers see the page's own skew and deskew it themselves.
    // Strips are crops of an already deskewed page and are read as they are.
    api.SetImage(pix.get());
    api.SetSourceResolution(resolution);
    Straightening turn{0, width / 2.0, height / 2.0};
    PixPtr straightened;
    if (local) turn.radians = straighteningRadians(api);
    if (turn.radians != 0) {
        straightened.reset(pixRotate(pix.get(), static_cast<l_float32>(turn.radians), L_ROTATE_AREA_MAP,
                                     L_BRING_IN_WHITE, 0, 0));
        if (!straightened) {
            api.Clear();
            throw EngineError::textRecognition("the image could not be straightened");
        }
        api.SetImage(straightened.get());
        api.SetSourceResolution(resolution);
    }
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
            line.quad = tiltedQuad(box, slope, width, height, turn);
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
                line.rangeBoxes.push_back({begin, line.text.size(), tiltedQuad(wordBox, slope, width, height, turn)});
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
