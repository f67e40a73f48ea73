// The session over its real executor: page counts, conversions and export on Qt's thread
// pools with queued reports back to the main thread. Run under ThreadSanitizer as well.
#include "SessionTestSupport.h"
#include "session/QtExecutor.h"

using namespace sessiontest;

namespace {

class ThreadedSession : public ::testing::Test {
protected:
    ThreadedSession() : session_(converter_, std::make_unique<session::QtExecutor>()) {}

    QString makeFile(const QString& name) const {
        QFile file(dir_.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write("x");
        return dir_.filePath(name);
    }
    void addAndCount(const QStringList& names) {
        QList<QUrl> urls;
        for (const QString& name : names) urls.append(QUrl::fromLocalFile(makeFile(name)));
        session_.addFiles(urls);
        ASSERT_TRUE(spinUntil([&] {
            return session_.items().size() == static_cast<std::size_t>(names.size()) &&
                   std::all_of(session_.items().begin(), session_.items().end(),
                               [](const auto& item) { return item->pageCount().has_value(); });
        }));
    }

    QTemporaryDir dir_;
    std::shared_ptr<FakeConverter> converter_ = std::make_shared<FakeConverter>();
    ConversionSession session_;
};

TEST_F(ThreadedSession, ARunConvertsEveryDocumentWithProgressAndExportsThem) {
    QStringList names;
    for (int k = 0; k < 6; ++k) names.append(QStringLiteral("d%1.pdf").arg(k));
    for (const QString& name : names) {
        converter_->setPageCount(name.toStdString(), 4);
        converter_->setConversion(name.toStdString(), [](const std::filesystem::path& url, const auto& progress, std::stop_token) {
            for (int page = 0; page <= 4; ++page) progress({page, 4});
            return makeResult(url, 4);
        });
    }
    addAndCount(names);
    ASSERT_TRUE(session_.startConversion(Language::automatic));
    ASSERT_TRUE(spinUntil([&] { return !session_.isConverting(); }));
    EXPECT_EQ(session_.convertedItems().size(), 6u);

    std::optional<ConversionSession::Notice> outcome;
    ASSERT_TRUE(session_.exportDocuments(ce::OutputFormat::markdown, QUrl::fromLocalFile(dir_.filePath("out")),
                                         session::CSVSeparator::comma, [&](const auto& notice) { outcome = notice; }));
    ASSERT_TRUE(spinUntil([&] { return outcome.has_value(); }));
    EXPECT_EQ(outcome->title, QStringLiteral("Exported 6 files"));
    EXPECT_TRUE(session_.items()[5]->exported());
}

TEST_F(ThreadedSession, StoppingEndsRunningConversionsAndQuittingEndsInTime) {
    for (const char* name : {"a.pdf", "b.pdf", "c.pdf"}) {
        converter_->setConversion(name, [](const std::filesystem::path&, const auto& progress, std::stop_token stop) -> ce::ConversionResult {
            progress({0, 1});
            while (!stop.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
            throw ce::CancellationError();
        });
    }
    addAndCount({"a.pdf", "b.pdf", "c.pdf"});
    ASSERT_TRUE(session_.startConversion(Language::automatic));
    ASSERT_TRUE(spinUntil([&] { return converter_->conversionsStarted().size() == 2; }));
    session_.cancelRun();
    ASSERT_TRUE(spinUntil([&] { return !session_.isConverting(); }));
    for (const auto& item : session_.items()) EXPECT_EQ(item->state(), State::cancelled());

    ASSERT_TRUE(session_.startConversion(Language::automatic));
    ASSERT_TRUE(spinUntil([&] { return converter_->conversionsStarted().size() == 4; }));
    EXPECT_TRUE(session_.shutDown(std::chrono::seconds(5))) << "the run is cancelled before the wait";
    EXPECT_FALSE(session_.startConversion(Language::automatic));
}

}  // namespace
