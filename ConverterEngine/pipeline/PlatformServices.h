// The wiring of the platform's implementations to the interfaces the lower layers
// define: Tesseract as the text recogniser, Liberation Sans as the strip label font,
// TorchScript over libtorch as the model runtime, libvips PNG encoding for picture
// crops, and the system journal as the log's sink. Every function returns a
// process-wide value and is safe to call from any thread.
#pragma once

#include <memory>

#include "input/LabelFont.h"
#include "input/PageSource.h"
#include "input/TextRecognizer.h"
#include "models/ModelRuntime.h"

namespace ce::PlatformServices {

std::shared_ptr<const TextRecognizer> textRecognizer();
const LabelFont& labelFont();
const ModelRuntime& modelRuntime();
const CropEncoder& cropEncoder();

// Installs the system journal as the log's sink (once; later calls do nothing).
// Converters install it when they are made; an application calls it at start-up.
void installSystemLog();

}  // namespace ce::PlatformServices
