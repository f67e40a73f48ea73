#include "session/Settings.h"

#include <QMetaType>

#include <algorithm>
#include <cmath>
#include <vector>

namespace session {

namespace {
// Every open Settings object, so that a change written through one reaches the others on
// the same store. Main thread only, like the objects themselves.
std::vector<Settings*>& openSettings() {
    static std::vector<Settings*> all;
    return all;
}

std::optional<QString> storedString(const QVariant& value) {
    if (value.typeId() != QMetaType::QString) return std::nullopt;
    return value.toString();
}

bool readBool(const QVariant& value, bool fallback) {
    if (value.typeId() == QMetaType::Bool) return value.toBool();
    const auto text = storedString(value);
    if (text == QStringLiteral("true")) return true;
    if (text == QStringLiteral("false")) return false;
    return fallback;
}

double readNumber(const QVariant& value, double fallback) {
    bool ok = false;
    double number = 0;
    switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong: number = value.toDouble(&ok); break;
        case QMetaType::QString: number = value.toString().toDouble(&ok); break;
        default: break;
    }
    return ok && std::isfinite(number) ? number : fallback;
}
}  // namespace

Settings::Settings(QObject* parent) : QObject(parent), store_(std::make_unique<QSettings>()) { connectToStore(); }

Settings::Settings(const QString& fileName, QObject* parent)
    : QObject(parent), store_(std::make_unique<QSettings>(fileName, QSettings::IniFormat)) {
    connectToStore();
}

Settings::~Settings() {
    auto& all = openSettings();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

void Settings::connectToStore() { openSettings().push_back(this); }

void Settings::announce(const QString& key) {
    const QString store = store_->fileName();
    // A slot may open or close Settings objects: walk a copy and skip closed ones.
    const std::vector<Settings*> all = openSettings();
    for (Settings* settings : all) {
        const auto& open = openSettings();
        if (std::find(open.begin(), open.end(), settings) != open.end()) settings->keyChanged(store, key);
    }
}

void Settings::keyChanged(const QString& store, const QString& key) {
    if (store != store_->fileName()) return;
    if (key == QLatin1String(outputFormatKey)) emit outputFormatChanged();
    if (key == QLatin1String(scanLanguageKey)) emit scanLanguageChanged();
    if (key == QLatin1String(csvSeparatorKey)) emit csvSeparatorChanged();
    if (key == QLatin1String(revealAfterExportKey)) emit revealAfterExportChanged();
    if (key == QLatin1String(showRegionsKey)) emit showRegionsChanged();
    if (key == QLatin1String(previewSplitKey)) emit previewSplitChanged();
}

template <class Value, class Read>
void Settings::write(const char* key, const QVariant& stored, const Value& value, Read read) {
    const Value before = (this->*read)();
    store_->setValue(QLatin1String(key), stored);
    if (!(before == value)) announce(QLatin1String(key));
}

ce::OutputFormat Settings::outputFormat() const {
    const auto raw = storedString(store_->value(QLatin1String(outputFormatKey)));
    const auto format = raw ? ce::OutputFormats::fromRawValue(raw->toStdString()) : std::nullopt;
    return format.value_or(ce::OutputFormat::markdown);
}

void Settings::setOutputFormat(ce::OutputFormat value) {
    write(outputFormatKey, QString::fromUtf8(ce::OutputFormats::rawValue(value)), value, &Settings::outputFormat);
}

Settings::Language Settings::scanLanguage() const {
    const auto raw = storedString(store_->value(QLatin1String(scanLanguageKey)));
    const auto language = raw ? ce::Languages::fromRawValue(raw->toStdString()) : std::nullopt;
    return language.value_or(Language::automatic);
}

void Settings::setScanLanguage(Language value) {
    write(scanLanguageKey, QString::fromUtf8(ce::Languages::rawValue(value)), value, &Settings::scanLanguage);
}

CSVSeparator Settings::csvSeparator() const {
    const auto raw = storedString(store_->value(QLatin1String(csvSeparatorKey)));
    const auto separator = raw ? CSVSeparators::fromRawValue(*raw) : std::nullopt;
    return separator.value_or(CSVSeparator::comma);
}

void Settings::setCSVSeparator(CSVSeparator value) {
    write(csvSeparatorKey, CSVSeparators::rawValue(value), value, &Settings::csvSeparator);
}

bool Settings::revealAfterExport() const {
    return readBool(store_->value(QLatin1String(revealAfterExportKey)), false);
}

void Settings::setRevealAfterExport(bool value) {
    write(revealAfterExportKey, value, value, &Settings::revealAfterExport);
}

bool Settings::showRegions() const { return readBool(store_->value(QLatin1String(showRegionsKey)), true); }

void Settings::setShowRegions(bool value) { write(showRegionsKey, value, value, &Settings::showRegions); }

double Settings::previewSplit() const { return readNumber(store_->value(QLatin1String(previewSplitKey)), 0.5); }

void Settings::setPreviewSplit(double value) {
    if (!std::isfinite(value)) return;
    write(previewSplitKey, value, value, &Settings::previewSplit);
}

}  // namespace session
