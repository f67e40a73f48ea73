#include "shell/ProductInfo.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace shell::ProductInfo {
namespace {

QString pageWord(PageKind kind) {
    return kind == PageKind::support ? QStringLiteral("support") : QStringLiteral("privacy");
}

// The first of the offered page languages that a preference names, by its language part
// ("es-MX" and "es_ES" are Spanish).
QString pageLanguage(const QStringList& preferredLanguages) {
    static const QStringList offered = {QStringLiteral("en"), QStringLiteral("es")};
    for (const QString& preference : preferredLanguages) {
        const QString language = preference.section(u'-', 0, 0).section(u'_', 0, 0).toLower();
        if (offered.contains(language)) return language;
    }
    return offered.front();
}

}  // namespace

QString appName(const ResourceBundle& bundle, const QString& processName) {
    const QString displayName = QStringLiteral("CFBundleDisplayName");
    const QString bundleName = QStringLiteral("CFBundleName");
    QVariant found;
    if (bundle.localizedInfo.contains(displayName)) {
        found = bundle.localizedInfo.value(displayName);
    } else if (bundle.info.contains(displayName)) {
        found = bundle.info.value(displayName);
    } else if (bundle.info.contains(bundleName)) {
        found = bundle.info.value(bundleName);
    }
    return found.typeId() == QMetaType::QString ? found.toString() : processName;
}

QString appName() {
    static const QString name =
        appName(ResourceBundle::main(), QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    return name;
}

QUrl siteURL(const ResourceBundle& bundle) {
    const QVariant value = bundle.info.value(QStringLiteral("ProductSiteURL"));
    if (value.typeId() == QMetaType::QString) {
        const QUrl url(value.toString(), QUrl::StrictMode);
        if (url.isValid() && !url.isRelative() && !url.host().isEmpty()) return url;
    }
    return QUrl(QString::fromLatin1(defaultSite));
}

QUrl siteURL() { return siteURL(ResourceBundle::main()); }

QUrl pageURL(const ResourceBundle& bundle, PageKind kind, const QStringList& preferredLanguages) {
    QUrl url = siteURL(bundle);
    QString path = url.path();
    if (!path.endsWith(u'/')) path += u'/';
    url.setPath(path + pageLanguage(preferredLanguages) + u'/' + pageWord(kind) + u'/');
    return url;
}

QUrl pageURL(PageKind kind, const QStringList& preferredLanguages) {
    return pageURL(ResourceBundle::main(), kind, preferredLanguages);
}

QString version(const ResourceBundle& bundle) {
    const QVariant value = bundle.info.value(QStringLiteral("CFBundleShortVersionString"));
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

}  // namespace shell::ProductInfo
