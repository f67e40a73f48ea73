#include "shell/Appcast.h"

#include <QXmlStreamReader>

namespace shell::Appcast {

std::optional<Version> Version::parse(const QString& text) {
    QString trimmed = text.trimmed();
    if (trimmed.startsWith(u'v') || trimmed.startsWith(u'V')) trimmed.remove(0, 1);
    if (trimmed.isEmpty()) return std::nullopt;
    Version version;
    for (const QString& part : trimmed.split(u'.')) {
        if (part.isEmpty() || part.size() > 18) return std::nullopt;
        for (const QChar c : part) {
            if (c < u'0' || c > u'9') return std::nullopt;
        }
        version.parts.push_back(part.toULongLong());
    }
    return version;
}

std::strong_ordering Version::operator<=>(const Version& other) const {
    const size_t count = std::max(parts.size(), other.parts.size());
    for (size_t i = 0; i < count; ++i) {
        const quint64 mine = i < parts.size() ? parts[i] : 0;
        const quint64 theirs = i < other.parts.size() ? other.parts[i] : 0;
        if (mine != theirs) return mine <=> theirs;
    }
    return std::strong_ordering::equal;
}

namespace {

struct Item {
    QString version;
    QString releaseNotesLink;
    QString link;
};

// Reads one <item> up to its end tag; the reader stands on the item's start tag.
Item readItem(QXmlStreamReader& reader) {
    Item item;
    int depth = 1;
    while (depth > 0 && !reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement()) {
            --depth;
        } else if (reader.isStartElement()) {
            ++depth;
            const QStringView name = reader.name();
            if (name == u"enclosure") {
                const QXmlStreamAttributes attributes = reader.attributes();
                for (const QXmlStreamAttribute& attribute : attributes) {
                    if (attribute.name() == u"version" && item.version.isEmpty()) {
                        item.version = attribute.value().toString();
                    }
                }
            } else if (name == u"version" || name == u"releaseNotesLink" || name == u"link") {
                const QString text = reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
                --depth;  // readElementText consumed the end tag
                if (name == u"version") item.version = text;
                else if (name == u"releaseNotesLink") item.releaseNotesLink = text;
                else item.link = text;
            }
        }
    }
    return item;
}

QUrl webLink(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != u"https" && url.scheme() != u"http")) return {};
    return url;
}

}  // namespace

std::variant<Release, FeedError> newestRelease(const QByteArray& feed) {
    QXmlStreamReader reader(feed);
    bool sawRss = false;
    std::optional<Version> best;
    Release newest;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement()) continue;
        if (reader.name() == u"rss") sawRss = true;
        if (reader.name() != u"item" || !sawRss) continue;
        const Item item = readItem(reader);
        const std::optional<Version> version = Version::parse(item.version);
        if (!version || (best && *version <= *best)) continue;
        best = version;
        newest.version = item.version.trimmed();
        newest.releaseNotes = webLink(item.releaseNotesLink.isEmpty() ? item.link : item.releaseNotesLink);
    }
    if (reader.hasError()) {
        return FeedError{QStringLiteral("the update feed is not well-formed (%1)").arg(reader.errorString())};
    }
    if (!sawRss) return FeedError{QStringLiteral("the update feed is not an RSS feed")};
    if (!best) return FeedError{QStringLiteral("the update feed names no version")};
    return newest;
}

}  // namespace shell::Appcast
