#include "shell/Acknowledgement.h"

#include <QFile>
#include <QStringDecoder>

#include <nlohmann/json.hpp>

namespace shell {
namespace {

using Json = nlohmann::json;

const QString licensesFolder = QStringLiteral("Licenses");

// Throws nlohmann's type_error or out_of_range for a missing key or a value of the wrong type,
// which rejects the manifest as a whole.
QString requiredString(const Json& entry, const char* key) {
    return QString::fromStdString(entry.at(key).get<std::string>());
}

template <typename T>
std::optional<T> optionalValue(const Json& entry, const char* key) {
    const auto found = entry.find(key);
    if (found == entry.end() || found->is_null()) return std::nullopt;
    return found->get<T>();
}

Acknowledgement decodeEntry(const Json& entry) {
    if (!entry.is_object()) throw std::invalid_argument("an entry is not an object");
    Acknowledgement result;
    result.title = requiredString(entry, "title");
    result.role = requiredString(entry, "role");
    result.license = requiredString(entry, "license");
    result.file = requiredString(entry, "file");
    result.modified = optionalValue<bool>(entry, "modified");
    if (const auto edition = optionalValue<std::string>(entry, "edition")) {
        result.edition = QString::fromStdString(*edition);
    }
    return result;
}

bool isPlainFileName(const QString& name) {
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(QStringLiteral("..")) &&
           !name.contains(QChar(0));
}

std::optional<QString> strictUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

}  // namespace

std::vector<Acknowledgement> Acknowledgement::decode(const QByteArray& manifest) {
    try {
        // nlohmann's parser refuses ill-formed UTF-8 inside strings.
        const Json document = Json::parse(manifest.begin(), manifest.end());
        const Json& entries = document.at("entries");
        if (!entries.is_array()) return {};
        std::vector<Acknowledgement> decoded;
        for (const Json& entry : entries) decoded.push_back(decodeEntry(entry));
        std::vector<Acknowledgement> kept;
        for (Acknowledgement& entry : decoded) {
            if (!entry.edition || *entry.edition == QLatin1String(thisEdition)) kept.push_back(std::move(entry));
        }
        return kept;
    } catch (const std::exception&) {
        return {};
    }
}

std::vector<Acknowledgement> Acknowledgement::loadAll(const ResourceBundle& bundle) {
    const QString path = bundle.resource(QStringLiteral("acknowledgements"), QStringLiteral("json"), licensesFolder);
    if (path.isEmpty()) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return decode(file.readAll());
}

std::optional<QString> Acknowledgement::licenseText(const ResourceBundle& bundle, const Acknowledgement& entry) {
    if (!isPlainFileName(entry.file)) return std::nullopt;
    const QString path = bundle.resource(entry.file, QString(), licensesFolder);
    if (path.isEmpty()) return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    return strictUtf8(bytes);
}

}  // namespace shell
