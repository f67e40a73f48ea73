#include "shell/ResourceBundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace shell {
namespace {

QVariantMap readInfo(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    return document.isObject() ? document.object().toVariantMap() : QVariantMap{};
}

// "Resources" beside the executable, then the share folder of the prefix the executable is
// installed under (bin/../share/document-converter), then the configured install folder.
QString findResources() {
    const QString applicationDir = QCoreApplication::applicationDirPath();
    const QStringList candidates = {
        applicationDir + QStringLiteral("/Resources"),
        applicationDir + QStringLiteral("/../share/document-converter"),
        QStringLiteral(CE_INSTALL_DATADIR),
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isDir()) return QDir(candidate).canonicalPath();
    }
    return candidates.front();
}

}  // namespace

ResourceBundle ResourceBundle::load(const QString& folder, const QString& language) {
    ResourceBundle bundle;
    bundle.resourcesPath = folder;
    bundle.info = readInfo(folder + QStringLiteral("/Info.json"));
    if (!language.isEmpty()) {
        bundle.localizedInfo = readInfo(folder + QStringLiteral("/Info.") + language + QStringLiteral(".json"));
    }
    return bundle;
}

const ResourceBundle& ResourceBundle::main() {
    static const ResourceBundle bundle = load(findResources(), QLocale().name().section(u'_', 0, 0));
    return bundle;
}

QString ResourceBundle::resource(const QString& name, const QString& extension,
                                 const QString& subdirectory) const {
    if (name.isEmpty()) return {};
    QString path = resourcesPath;
    if (!subdirectory.isEmpty()) path += u'/' + subdirectory;
    path += u'/' + name;
    if (!extension.isEmpty()) path += u'.' + extension;
    return QFileInfo(path).isFile() ? path : QString();
}

}  // namespace shell
