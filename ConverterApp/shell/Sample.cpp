#include "shell/Sample.h"

#include <QCoreApplication>

namespace shell::Samples {

QString rawValue(Sample sample) {
    switch (sample) {
        case Sample::report: return QStringLiteral("Annual Report");
        case Sample::invoice: return QStringLiteral("Factura escaneada");
        case Sample::paper: return QStringLiteral("Research Paper");
    }
    return {};
}

std::optional<Sample> fromRawValue(const QString& raw) {
    for (const Sample sample : allCases) {
        if (rawValue(sample) == raw) return sample;
    }
    return std::nullopt;
}

QString title(Sample sample) {
    switch (sample) {
        case Sample::report: return QCoreApplication::translate("Sample", "Annual Report (English, tables)");
        case Sample::invoice: return QCoreApplication::translate("Sample", "Invoice (Spanish, scanned)");
        case Sample::paper: return QCoreApplication::translate("Sample", "Research Paper (two columns)");
    }
    return {};
}

std::optional<QString> url(const ResourceBundle& bundle, Sample sample) {
    const QString path = bundle.resource(rawValue(sample), QStringLiteral("pdf"), QStringLiteral("Samples"));
    if (path.isEmpty()) return std::nullopt;
    return path;
}

std::optional<QString> url(Sample sample) { return url(ResourceBundle::main(), sample); }

}  // namespace shell::Samples
