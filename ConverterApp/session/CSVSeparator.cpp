#include "session/CSVSeparator.h"

namespace session::CSVSeparators {

const std::array<CSVSeparator, 2>& allCases() {
    static constexpr std::array<CSVSeparator, 2> cases = {CSVSeparator::comma, CSVSeparator::semicolon};
    return cases;
}

QString rawValue(CSVSeparator separator) {
    return separator == CSVSeparator::semicolon ? QStringLiteral("semicolon") : QStringLiteral("comma");
}

std::optional<CSVSeparator> fromRawValue(QStringView raw) {
    for (const CSVSeparator separator : allCases()) {
        if (raw == rawValue(separator)) return separator;
    }
    return std::nullopt;
}

char delimiter(CSVSeparator separator) { return separator == CSVSeparator::semicolon ? ';' : ','; }

}  // namespace session::CSVSeparators
