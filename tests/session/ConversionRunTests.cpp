#include <QSignalSpy>

#include "SessionTestSupport.h"
#include "core/Log.h"

using namespace sessiontest;
using session::Work;

namespace {

class ConversionRun : public SessionTest {
protected:
    // Lists and counts the files; each has `pages` pages unless scripted otherwise.
    void list(const QStringList& names, int pages = 3) {
        QStringList paths;
        for (const QString& name : names) {
            converter_->setPageCount(name.toStdString(), pages);
            paths.append(makeFile(name));
        }
        add(paths);
    }
    DocumentItem& item(std::size_t k) { return *session_->items()[k]; }
    // Runs the oldest waiting conversion and the main-thread work it queued.
    void finishOneConversion() {
        ASSERT_TRUE(executor_->runBackground(Work::conversion));
        executor_->runMainJobs();
    }
    void convertAll(Language language = Language::automatic) {
        ASSERT_TRUE(session_->startConversion(language));
        executor_->runAll();
        ASSERT_FALSE(session_->isConverting());
    }
};

TEST_F(ConversionRun, NothingToConvertStartsNothing) {
    EXPECT_FALSE(session_->canConvert(Language::automatic));
    EXPECT_FALSE(session_->startConversion(Language::automatic));
    list({"a.pdf"});
    convertAll();
    QSignalSpy converting(session_.get(), &ConversionSession::isConvertingChanged);
    EXPECT_FALSE(session_->canConvert(Language::automatic));
    EXPECT_FALSE(session_->startConversion(Language::automatic));
    EXPECT_EQ(converting.count(), 0);
}

TEST_F(ConversionRun, AThirdDocumentWaitsForAFreeSlotAndDocumentsStartInListOrder) {
    list({"a.pdf", "b.pdf", "c.pdf"});
    ASSERT_TRUE(session_->canConvert(Language::automatic));
    ASSERT_TRUE(session_->startConversion(Language::automatic));
    EXPECT_TRUE(session_->isConverting());
    EXPECT_FALSE(session_->canConvert(Language::automatic));
    EXPECT_FALSE(session_->startConversion(Language::automatic)) << "one run at a time";
    EXPECT_EQ(session_->runItems().size(), 3u);
    EXPECT_EQ(item(0).state(), State::converting(0, 3));
    EXPECT_EQ(item(1).state(), State::converting(0, 3));
    EXPECT_EQ(item(2).state(), State::queued());
    EXPECT_EQ(item(2).runPages(), 3);
    EXPECT_EQ(executor_->pendingBackground(Work::conversion), 2u);

    finishOneConversion();
    EXPECT_EQ(item(0).state(), State::converted());
    EXPECT_EQ(item(2).state(), State::converting(0, 3));
    EXPECT_EQ(executor_->pendingBackground(Work::conversion), 2u);
    executor_->runAll();
    EXPECT_EQ(converter_->conversionsStarted(), (std::vector<std::string>{"a.pdf", "b.pdf", "c.pdf"}));
    EXPECT_FALSE(session_->isConverting());
    EXPECT_TRUE(session_->runItems().empty());
    EXPECT_EQ(session_->convertedItems().size(), 3u);
}

TEST_F(ConversionRun, ADocumentWithoutPagesFailsAtItsTurnWithoutTakingASlot) {
    list({"a.pdf", "b.pdf", "c.pdf", "d.pdf", "e.pdf", "f.pdf"});
    giveResult(item(4), makeResult("e.pdf", 1, {0}));
    ASSERT_TRUE(session_->startConversion(Language::automatic));
    item(2).setPageCount(std::nullopt);  // as if the count had changed meanwhile
    item(3).setPageCount(0);
    item(4).setPageCount(std::nullopt);
    finishOneConversion();
    EXPECT_EQ(item(2).state(), State::failed("The document has no pages."));
    EXPECT_EQ(item(3).state(), State::failed("The document has no pages."));
    EXPECT_EQ(item(4).state(), State::converted()) << "an earlier result is kept";
    ASSERT_TRUE(session_->notice());
    EXPECT_EQ(session_->notice()->title, QStringLiteral("e.pdf couldn’t be converted again"));
    EXPECT_EQ(item(1).state(), State::converting(0, 3));
    EXPECT_EQ(item(5).state(), State::converting(0, 3)) << "f took the free slot at once";
    executor_->runAll();
    EXPECT_FALSE(session_->isConverting());
}

TEST_F(ConversionRun, StopEndsTheRunningDocumentsAndSettlesTheQueuedOnes) {
    list({"a.pdf", "b.pdf", "c.pdf", "d.pdf"});
    giveResult(item(0), makeResult("a.pdf", 3, {1}));
    giveResult(item(3), makeResult("d.pdf", 3, {1}));
    ASSERT_TRUE(session_->startConversion(Language::automatic));
    ASSERT_EQ(item(2).state(), State::queued());
    session_->setNotice(std::nullopt);
    session_->cancelRun();
    executor_->runAll();

    EXPECT_EQ(item(0).state(), State::converted()) << "the earlier result stays";
    EXPECT_EQ(item(0).result()->pages.size(), 3u);
    EXPECT_EQ(item(1).state(), State::cancelled());
    EXPECT_EQ(item(2).state(), State::cancelled());
    EXPECT_EQ(item(3).state(), State::converted());
    EXPECT_FALSE(session_->notice()) << "a stopped re-conversion raises nothing";
    EXPECT_FALSE(session_->isConverting());
    EXPECT_TRUE(session_->runItems().empty());
    EXPECT_EQ(converter_->conversionsStarted().size(), 2u);
}

TEST_F(ConversionRun, AllPagesFailedIsAFailureOrANoticeWhenAResultExists) {
    list({"a.pdf", "b.pdf"});
    const auto allFailed = [](const std::filesystem::path& url, const auto&, std::stop_token) {
        return makeResult(url, 3, {0, 1, 2});
    };
    converter_->setConversion("a.pdf", allFailed);
    converter_->setConversion("b.pdf", allFailed);
    giveResult(item(1), makeResult("b.pdf", 3, {}, {0}));
    const auto earlier = item(1).result();
    convertAll(Language::spanish);

    EXPECT_EQ(item(0).state(), State::failed("None of its pages could be converted."));
    EXPECT_EQ(item(0).result(), nullptr);
    EXPECT_EQ(item(1).state(), State::converted());
    EXPECT_EQ(item(1).result(), earlier);
    ASSERT_TRUE(session_->notice());
    EXPECT_EQ(session_->notice()->kind, ConversionSession::Notice::Kind::error);
    EXPECT_EQ(session_->notice()->title, QStringLiteral("b.pdf couldn’t be converted again"));
    EXPECT_EQ(session_->notice()->message, QStringLiteral("None of its pages could be converted.\nThe earlier result is kept."));
}

TEST_F(ConversionRun, AnEngineErrorFailsTheDocumentAndTheRunGoesOn) {
    list({"a.pdf", "b.pdf", "c.pdf"});
    converter_->setConversion("a.pdf", [](const std::filesystem::path& url, const auto&, std::stop_token) -> ce::ConversionResult {
        throw ce::ConversionError(ce::ConversionError::Kind::passwordProtected, url);
    });
    convertAll();
    EXPECT_EQ(item(0).state(), State::failed("The PDF is password-protected. Remove the password and add it again."));
    EXPECT_EQ(item(1).state(), State::converted());
    EXPECT_EQ(item(2).state(), State::converted());
}

TEST_F(ConversionRun, FailedPagesAreRetriedOnceAcrossRuns) {
    list({"a.pdf"});
    converter_->setConversion("a.pdf", [](const std::filesystem::path& url, const auto&, std::stop_token) {
        return makeResult(url, 3, {1}, {0});
    });
    convertAll();
    EXPECT_FALSE(item(0).failedPagesRetried());
    EXPECT_TRUE(session_->needsConversion(item(0), Language::automatic)) << "offered once more";

    convertAll();
    EXPECT_TRUE(item(0).failedPagesRetried());
    EXPECT_FALSE(session_->canConvert(Language::automatic));

    converter_->setConversion("a.pdf", [](const std::filesystem::path& url, const auto&, std::stop_token) {
        return makeResult(url, 3, {}, {0});
    });
    convertAll(Language::english);
    EXPECT_FALSE(item(0).failedPagesRetried()) << "the new result has no failed page";
}

TEST_F(ConversionRun, ANewResultClearsExportedAndIsLogged) {
    list({"a.pdf"});
    converter_->setConversion("a.pdf", [](const std::filesystem::path& url, const auto&, std::stop_token) {
        auto result = makeResult(url, 3, {1}, {0});
        result.seconds = 2.04;
        return result;
    });
    convertAll();
    item(0).setExported(true);
    ce::Log::Capture capture;
    convertAll(Language::spanish);
    EXPECT_FALSE(item(0).exported());
    EXPECT_EQ(item(0).convertedLanguage(), Language::spanish);
    std::vector<std::string> lines;
    for (const auto& entry : capture.entries()) {
        if (entry.category == ce::Log::Category::session) lines.push_back(entry.redacted());
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"page 2 failed: <private>", "converted 3 pages in 2.0 s"}));
}

TEST_F(ConversionRun, ProgressFollowsTheEngineAndALateReportIsIgnored) {
    list({"a.pdf", "b.pdf"}, 10);
    session::DocumentConverting::Progress first;
    converter_->setConversion("a.pdf", [&](const std::filesystem::path& url, const session::DocumentConverting::Progress& progress,
                                           std::stop_token) {
        progress({3, 10});
        first = progress;
        return makeResult(url, 10, {4});
    });
    converter_->setConversion("b.pdf", [](const std::filesystem::path& url, const session::DocumentConverting::Progress& progress,
                                          std::stop_token) {
        progress({3, 10});
        return makeResult(url, 10);
    });
    ASSERT_TRUE(session_->startConversion(Language::automatic));
    ASSERT_TRUE(executor_->runBackground(Work::conversion));
    ASSERT_TRUE(executor_->runMain()) << "the progress report";
    EXPECT_EQ(item(0).state(), State::converting(3, 10));
    executor_->runMainJobs();
    ASSERT_TRUE(executor_->runBackground(Work::conversion));
    ASSERT_TRUE(executor_->runMain());
    EXPECT_EQ(session_->runProgress(), (ConversionSession::RunProgress{13, 20}));
    executor_->runAll();

    first({7, 10});
    executor_->runMainJobs();
    EXPECT_EQ(item(0).state(), State::converted()) << "a report after the end";

    converter_->setConversion("a.pdf", [](const std::filesystem::path& url, const auto&, std::stop_token) {
        return makeResult(url, 10);
    });
    ASSERT_TRUE(session_->startConversion(Language::automatic)) << "the failed page is retried";
    first({8, 10});
    executor_->runMainJobs();
    EXPECT_EQ(item(0).state(), State::converting(0, 10)) << "a report of the earlier conversion";
    executor_->runAll();
    EXPECT_EQ(session_->runProgress(), (ConversionSession::RunProgress{0, 0}));
}

}  // namespace
