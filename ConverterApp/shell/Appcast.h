// The update feed: an RSS document whose items each name a release by its version (an
// element or enclosure attribute with the local name "version", in any namespace) and link
// to its release notes ("releaseNotesLink", else the item's "link"). Versions are dotted
// numbers compared part by part, a missing part counting as 0 ("1.2" equals "1.2.0").
#pragma once

#include <compare>
#include <optional>
#include <variant>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace shell::Appcast {

struct Version {
    std::vector<quint64> parts;

    // Nothing for text that is not one or more dot-separated decimal numbers (surrounding
    // spaces and a leading "v" are allowed).
    static std::optional<Version> parse(const QString& text);
    std::strong_ordering operator<=>(const Version& other) const;
    bool operator==(const Version& other) const { return (*this <=> other) == 0; }
};

struct Release {
    QString version;          // as written in the feed
    QUrl releaseNotes;        // empty when the item links nowhere
};

struct FeedError {
    QString message;
};

// The newest release of the feed; an error when the document is not well-formed XML, is not an
// RSS feed, or has no item with a readable version. Items with an unreadable version are passed over.
std::variant<Release, FeedError> newestRelease(const QByteArray& feed);

}  // namespace shell::Appcast
