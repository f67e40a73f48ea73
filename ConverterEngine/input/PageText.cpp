#include "input/PageText.h"

#include <memory>

#include <unicode/brkiter.h>
#include <unicode/uchar.h>

#include "core/Unicode.h"

namespace ce {

int nonWhitespaceCharacterCount(const std::vector<TextCell>& cells) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> graphemes(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    int count = 0;
    for (const TextCell& cell : cells) {
        const icu::UnicodeString text = toUnicode(cell.text);
        if (U_FAILURE(status)) {
            for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1))
                if (!u_isUWhiteSpace(text.char32At(i))) ++count;
            continue;
        }
        graphemes->setText(text);
        for (int32_t start = graphemes->first(), end = graphemes->next(); end != icu::BreakIterator::DONE;
             start = end, end = graphemes->next())
            if (!u_isUWhiteSpace(text.char32At(start))) ++count;
    }
    return count;
}

}  // namespace ce
