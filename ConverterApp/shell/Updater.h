// The update check: reads the product's update feed when, and only when, the user asks, and
// reports the newest release against the running version with a link to its release notes. It
// never downloads or runs anything else. Four operations: made once at start-up (contacting
// nothing), canCheckForUpdates() with its change signal, checkForUpdates() and the finished
// signal that carries the result for the window to show.
// Lives on the main thread; its state (the one check in flight) is touched only there.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include "shell/ResourceBundle.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace shell {

struct UpdateCheckResult {
    enum class Outcome { updateAvailable, upToDate, failed };
    Outcome outcome = Outcome::failed;
    QString latestVersion;  // the feed's newest version, empty when the check failed
    QUrl releaseNotes;      // its release notes, empty when the feed gives none
    QString error;          // why the check failed, empty otherwise
};

class Updater : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)

public:
    struct Options {
        QUrl feedURL;            // https, or http to this computer (127.0.0.1, ::1, localhost)
        QString currentVersion;  // the running version, dotted numbers
        int timeoutMilliseconds = 15000;
        qint64 maxFeedBytes = 1 << 20;
    };

    // The feed ("UpdateFeedURL") and version ("CFBundleShortVersionString") of the information file.
    static Options optionsFrom(const ResourceBundle& bundle);

    explicit Updater(Options options, QObject* parent = nullptr);
    ~Updater() override;

    // True when a user-initiated check may start now: a feed is configured and no check runs.
    bool canCheckForUpdates() const;
    // Starts a check; does nothing while one runs. Reports through checkFinished().
    void checkForUpdates();

signals:
    void canCheckForUpdatesChanged(bool canCheck);
    void checkFinished(const shell::UpdateCheckResult& result);

private:
    void finish(QNetworkReply* reply);

    Options options_;
    QNetworkAccessManager* network_ = nullptr;  // made at the first check
    QPointer<QNetworkReply> reply_;             // the check in flight, if any
    bool tooLarge_ = false;
};

}  // namespace shell
