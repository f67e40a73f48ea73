#include "pipeline/PlatformServices.h"

#include <mutex>

#include "core/Log.h"
#include "platform/PNGEncoder.h"
#include "platform/SansFont.h"
#include "platform/SystemLog.h"
#include "platform/TesseractRecognizer.h"
#include "platform/TorchModel.h"

namespace ce::PlatformServices {

std::shared_ptr<const TextRecognizer> textRecognizer() {
    // The process-wide instance lives for the whole run, so the pointer owns nothing.
    return std::shared_ptr<const TextRecognizer>(std::shared_ptr<void>{}, &TesseractRecognizer::shared());
}

const LabelFont& labelFont() { return SansFont::labelFont(); }

const ModelRuntime& modelRuntime() {
    static const ModelRuntime runtime{&TorchModel::compile, &TorchModel::load};
    return runtime;
}

const CropEncoder& cropEncoder() {
    static const CropEncoder encoder = &PNGEncoder::encode;
    return encoder;
}

void installSystemLog() {
    static std::once_flag once;
    std::call_once(once, [] { Log::installSystemSink(platform::SystemLog::sink()); });
}

}  // namespace ce::PlatformServices
