// What the running product says about itself, read from the resources' information file:
// the name shown in the main window's title and the acknowledgements, the product's web
// site and its support and privacy pages in English or Spanish. Nothing here fails: a
// missing or malformed value falls back to the process name or the built-in site.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include "shell/ResourceBundle.h"

namespace shell::ProductInfo {

enum class PageKind { support, privacy };

// The site used when the information file names none (or one that is not an absolute address).
inline constexpr const char* defaultSite = "https://irevora.uzerov.ziv";

// The main bundle's display name, worked out once and kept for the life of the process.
QString appName();
// The rule behind appName(): the localized "CFBundleDisplayName", then the plain
// "CFBundleDisplayName", then the plain "CFBundleName"; the first one present decides, and
// when it is not a string (or none is present) the name is `processName`.
QString appName(const ResourceBundle& bundle, const QString& processName);

QUrl siteURL();
QUrl siteURL(const ResourceBundle& bundle);

// The page of `kind` in the best of "en" and "es" for `preferredLanguages` (language
// identifiers such as "es-MX", best first; English when none matches): the site, the
// language and the page's word, ending in a slash.
QUrl pageURL(PageKind kind, const QStringList& preferredLanguages);
QUrl pageURL(const ResourceBundle& bundle, PageKind kind, const QStringList& preferredLanguages);

// The product's version ("CFBundleShortVersionString"), empty when the file names none.
QString version(const ResourceBundle& bundle);

}  // namespace shell::ProductInfo
