// The three sample documents the application carries in its resources ("Samples/<raw value>.pdf"),
// in the order of every sample menu. Documents added from here are marked as samples.
#pragma once

#include <array>
#include <optional>

#include <QString>

#include "shell/ResourceBundle.h"

namespace shell {

enum class Sample { report, invoice, paper };

namespace Samples {

inline constexpr std::array<Sample, 3> allCases = {Sample::report, Sample::invoice, Sample::paper};

// The file's base name, never translated: "Annual Report", "Factura escaneada", "Research Paper".
QString rawValue(Sample sample);
// Exactly the three raw values (case-sensitive); nothing for any other text.
std::optional<Sample> fromRawValue(const QString& rawValue);
// The menu title, translated: "Annual Report (English, tables)" and so on.
QString title(Sample sample);
// The sample's PDF in the resources, or nothing when the file is missing.
std::optional<QString> url(Sample sample);
std::optional<QString> url(const ResourceBundle& bundle, Sample sample);

}  // namespace Samples
}  // namespace shell
