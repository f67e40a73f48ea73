// What the session tests share: a scripted converter, results made to order, a folder of
// files to add, and a session over the manual executor.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <map>
#include <mutex>
#include <set>

#include "core/ConversionError.h"
#include "session/ConversionSession.h"
#include "session/ManualExecutor.h"

namespace session {
// Readable states in test failures.
inline void PrintTo(const DocumentItem::State& state, std::ostream* out) {
    static const char* const kinds[] = {"converting", "failed", "ready", "queued", "converted", "cancelled"};
    *out << kinds[static_cast<int>(state.kind)];
    if (state.is(DocumentItem::State::Kind::converting)) *out << "(" << state.completed << ", " << state.total << ")";
    if (state.is(DocumentItem::State::Kind::failed)) *out << "(" << state.message.toStdString() << ")";
}
}  // namespace session

namespace sessiontest {

using session::ConversionSession;
using session::DocumentItem;
using session::DocumentItemPtr;
using State = DocumentItem::State;
using Language = ce::ConversionOptions::Language;

// A result of `pages` pages for `source`; the pages in `failed` carry a failure and the
// pages in `recognised` used text recognition.
inline ce::ConversionResult makeResult(const std::filesystem::path& source, int pages, std::set<int> failed = {},
                                       std::set<int> recognised = {}) {
    ce::ConversionResult result;
    result.source = source;
    result.sourcePageCount = pages;
    result.seconds = 1.25;
    for (int i = 0; i < pages; ++i) {
        ce::ConvertedPage page;
        page.index = i;
        page.width = 612;
        page.height = 792;
        page.usedOCR = recognised.contains(i);
        if (failed.contains(i)) page.failure = "page " + std::to_string(i + 1) + " broke";
        result.pages.push_back(std::move(page));
    }
    return result;
}

// Runs the event loop until `done` holds or `milliseconds` passed; returns `done()`.
template <class Condition>
bool spinUntil(Condition done, int milliseconds = 10'000) {
    QDeadlineTimer deadline(milliseconds);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// Gives the item a result directly, as if a conversion had stored it.
inline void giveResult(DocumentItem& item, ce::ConversionResult result, Language language = Language::automatic) {
    item.setResult(std::make_shared<const ce::ConversionResult>(std::move(result)));
    item.setConvertedLanguage(language);
    item.setState(State::converted());
}

// A converter whose answers the test scripts per file name. Unscripted files have one
// page and convert into a one-page result. Safe to call from several threads.
class FakeConverter final : public session::DocumentConverting {
public:
    using Conversion = std::function<ce::ConversionResult(const std::filesystem::path&, const Progress&, std::stop_token)>;

    void setPageCount(const std::string& fileName, int count) {
        std::lock_guard guard(lock_);
        pageCounts_[fileName] = count;
    }
    // A null error takes the scripted error back.
    void setPageCountError(const std::string& fileName, std::exception_ptr error) {
        std::lock_guard guard(lock_);
        if (error) {
            pageCountErrors_[fileName] = std::move(error);
        } else {
            pageCountErrors_.erase(fileName);
        }
    }
    void setConversion(const std::string& fileName, Conversion conversion) {
        std::lock_guard guard(lock_);
        conversions_[fileName] = std::move(conversion);
    }
    void failWarmUp() { warmUpFails_ = true; }
    int warmUps() const { return warmUps_; }
    int counts() const { return counts_; }
    std::vector<std::string> conversionsStarted() const {
        std::lock_guard guard(lock_);
        return started_;
    }

    int pageCount(const std::filesystem::path& url) override {
        ++counts_;
        std::lock_guard guard(lock_);
        const std::string name = url.filename().string();
        if (const auto error = pageCountErrors_.find(name); error != pageCountErrors_.end()) {
            std::rethrow_exception(error->second);
        }
        const auto count = pageCounts_.find(name);
        return count == pageCounts_.end() ? 1 : count->second;
    }

    ce::ConversionResult convert(const std::filesystem::path& url, const ce::ConversionOptions&, const Progress& progress,
                                 std::stop_token stop) override {
        Conversion conversion;
        {
            std::lock_guard guard(lock_);
            started_.push_back(url.filename().string());
            if (const auto found = conversions_.find(url.filename().string()); found != conversions_.end()) {
                conversion = found->second;
            }
        }
        if (stop.stop_requested()) throw ce::CancellationError();
        if (conversion) return conversion(url, progress, stop);
        if (progress) progress({0, 1});
        if (progress) progress({1, 1});
        return makeResult(url, 1);
    }

    void prepareModels() override {
        ++warmUps_;
        if (warmUpFails_) throw std::runtime_error("no models");
    }

private:
    mutable std::mutex lock_;  // guards the maps and started_
    std::map<std::string, int> pageCounts_;
    std::map<std::string, std::exception_ptr> pageCountErrors_;
    std::map<std::string, Conversion> conversions_;
    std::vector<std::string> started_;
    std::atomic<bool> warmUpFails_ = false;
    std::atomic<int> warmUps_ = 0;
    std::atomic<int> counts_ = 0;
};

// A session over the manual executor and a fake converter, and a folder to put files in.
class SessionTest : public ::testing::Test {
protected:
    SessionTest() {
        auto executor = std::make_unique<session::ManualExecutor>();
        executor_ = executor.get();
        session_ = std::make_unique<ConversionSession>(converter_, std::move(executor));
    }

    // Creates the file (and its folders) below the temporary folder; returns its path.
    QString makeFile(const QString& relative) const {
        const QString path = dir_.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("x");
        return path;
    }
    QString path(const QString& relative) const { return dir_.filePath(relative); }

    static QList<QUrl> urls(const QStringList& paths) {
        QList<QUrl> list;
        for (const QString& path : paths) list.append(QUrl::fromLocalFile(path));
        return list;
    }

    // Adds the files and runs every piece of work the addition started.
    void add(const QStringList& paths, bool isSample = false) {
        session_->addFiles(urls(paths), isSample);
        executor_->runAll();
    }

    QStringList fileNames() const {
        QStringList names;
        for (const auto& item : session_->items()) names.append(item->url().fileName());
        return names;
    }

    QTemporaryDir dir_;
    std::shared_ptr<FakeConverter> converter_ = std::make_shared<FakeConverter>();
    session::ManualExecutor* executor_ = nullptr;
    std::unique_ptr<ConversionSession> session_;
};

}  // namespace sessiontest
