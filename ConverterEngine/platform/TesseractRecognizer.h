// The text recogniser over Tesseract 5 (LSTM engine). Pages are read with the
// dictionaries on and automatic page segmentation; strips with the dictionaries off
// and single-column segmentation, in a separate instance. Lines come back with their
// text joined from their words, Tesseract's confidence divided by 100, and corners
// tilted along the line's baseline; each word's outline is a range box.
//
// State: loaded Tesseract instances (per language set and dictionary use) wait in one
// mutex-guarded process-wide pool between recognitions; each recognition takes one out
// for itself, so no instance is used by two threads at once, and the object itself
// holds no state.
#pragma once

#include "input/TextRecognizer.h"

namespace ce {

class TesseractRecognizer final : public TextRecognizer {
public:
    // The process-wide instance.
    static const TesseractRecognizer& shared();

    std::vector<RecognizedLine> recognize(const RecognizerImage& image, const Request& request) const override;
};

}  // namespace ce
