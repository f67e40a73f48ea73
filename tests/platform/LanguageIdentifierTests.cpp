#include "platform/LanguageIdentifier.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using ce::LanguageIdentifier::Language;

TEST(LanguageIdentifier, TellsEnglishFromSpanish) {
    struct Case {
        const char* text;
        std::optional<Language> expected;
    };
    const Case cases[] = {
        {"The quarterly report shows that the company increased its revenue while keeping costs "
         "under control. The board will meet next week to discuss the results.",
         Language::english},
        {"El informe trimestral muestra que la empresa aumentó sus ingresos y mantuvo los costos "
         "bajo control. La junta se reunirá la próxima semana para discutir los resultados.",
         Language::spanish},
        {"Introducción\nLa niña pequeña comió una manzana.\n", Language::spanish},
        {"", std::nullopt},
        {"El año de la niña y de la señora que está en la casa\xC3", Language::spanish},  // cut mid-character
        {"\xE2", Language::english},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ce::LanguageIdentifier::dominantLanguage(c.text), c.expected) << c.text;
    }
}

}  // namespace
