// The field separator of exported and shown CSV text, stored by its raw string.
#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace session {

enum class CSVSeparator { comma, semicolon };

namespace CSVSeparators {
const std::array<CSVSeparator, 2>& allCases();
QString rawValue(CSVSeparator separator);  // "comma", "semicolon"
// Exactly "comma" or "semicolon"; anything else gives nothing.
std::optional<CSVSeparator> fromRawValue(QStringView raw);
// ';' for semicolon, ',' otherwise.
char delimiter(CSVSeparator separator);
}  // namespace CSVSeparators

}  // namespace session
