#include <QSignalSpy>

#include "SessionTestSupport.h"

using namespace sessiontest;

namespace {

class AddingFiles : public SessionTest {};

TEST_F(AddingFiles, FoldersAreWalkedWithLabelsFromTheirSubFolders) {
    makeFile("Reports/b.pdf");
    makeFile("Reports/2023/a.png");
    makeFile("Reports/.hidden.pdf");
    makeFile("Reports/notes.txt");
    const QString loose = makeFile("loose.tiff");
    add({path("Reports"), loose});

    ASSERT_EQ(fileNames(), (QStringList{"a.png", "b.pdf", "loose.tiff"}));
    EXPECT_EQ(session_->items()[0]->folder(), QStringLiteral("Reports/2023"));
    EXPECT_EQ(session_->items()[1]->folder(), QStringLiteral("Reports"));
    EXPECT_EQ(session_->items()[2]->folder(), QString());
    EXPECT_FALSE(session_->notice()) << "unsupported files inside folders are not reported";
}

TEST_F(AddingFiles, DuplicatesAreSkippedSilentlyWithinABatchAndAgainstTheList) {
    const QString a = makeFile("a.pdf");
    add({a, path("./a.pdf"), a});
    ASSERT_EQ(fileNames(), QStringList{"a.pdf"});
    const QUuid first = session_->items()[0]->id();

    QSignalSpy itemsSpy(session_.get(), &ConversionSession::itemsChanged);
    add({a});
    EXPECT_EQ(session_->items().size(), 1u);
    EXPECT_EQ(session_->items()[0]->id(), first);
    EXPECT_EQ(itemsSpy.count(), 0);
    EXPECT_FALSE(session_->notice());
    EXPECT_EQ(converter_->counts(), 1) << "a duplicate is not counted again";
}

TEST_F(AddingFiles, AFailedItemWithoutResultIsReplacedAtTheEnd) {
    converter_->setPageCountError("a.pdf", std::make_exception_ptr(ce::ConversionError(ce::ConversionError::Kind::unreadable, "a.pdf")));
    add({makeFile("a.pdf"), makeFile("b.pdf"), makeFile("c.pdf")});
    const DocumentItemPtr failed = session_->items()[0];
    ASSERT_EQ(failed->state(), State::failed("The file can’t be read. It may be damaged or no longer available."));
    EXPECT_FALSE(failed->pageCount());
    session_->setSelection({failed->id(), session_->items()[1]->id()});

    converter_->setPageCountError("a.pdf", nullptr);
    converter_->setPageCount("a.pdf", 4);
    add({path("a.pdf")});
    EXPECT_EQ(fileNames(), (QStringList{"b.pdf", "c.pdf", "a.pdf"}));
    const DocumentItemPtr fresh = session_->items()[2];
    EXPECT_NE(fresh->id(), failed->id());
    EXPECT_EQ(fresh->state(), State::ready());
    EXPECT_EQ(fresh->pageCount(), 4);
    EXPECT_EQ(session_->selection(), QSet<QUuid>{session_->items()[0]->id()}) << "the old id left the selection";

    giveResult(*session_->items()[0], makeResult("b.pdf", 1));
    session_->items()[0]->setState(State::failed(QStringLiteral("later failure")));
    add({path("b.pdf")});
    EXPECT_EQ(session_->items().size(), 3u) << "a failed item that holds a result stays";
}

TEST_F(AddingFiles, TheFirstAddedItemIsSelectedWhenNothingIsOrForASample) {
    add({makeFile("a.pdf"), makeFile("b.pdf")});
    const QUuid a = session_->items()[0]->id();
    EXPECT_EQ(session_->selection(), QSet<QUuid>{a});

    add({makeFile("c.pdf")});
    EXPECT_EQ(session_->selection(), QSet<QUuid>{a});

    add({makeFile("sample.pdf")}, true);
    EXPECT_EQ(session_->selection(), QSet<QUuid>{session_->items()[3]->id()});
    EXPECT_TRUE(session_->items()[3]->isSample());
}

TEST_F(AddingFiles, SkippedFilesMissingFilesAndEmptyFoldersAreReportedTogether) {
    makeFile("Empty/readme.txt");
    QDir().mkpath(path("Bare"));
    add({makeFile("one.txt"), makeFile("two.doc"), makeFile("three"), makeFile("scan.pdf"), path("gone.pdf"),
         path("Empty"), path("Bare")});

    EXPECT_EQ(fileNames(), QStringList{"scan.pdf"});
    ASSERT_TRUE(session_->notice());
    EXPECT_EQ(session_->notice()->kind, ConversionSession::Notice::Kind::info);
    EXPECT_EQ(session_->notice()->title, QStringLiteral("Some files were skipped"));
    EXPECT_EQ(session_->notice()->message, QStringLiteral("3 files aren’t PDFs or images.\n"
                                                          "1 files can’t be found.\n"
                                                          "No PDFs or images in: Empty, Bare"));
    EXPECT_TRUE(session_->notice()->reveal.isEmpty());
}

TEST_F(AddingFiles, ManyEmptyFoldersEndInTheListTail) {
    QStringList folders;
    for (int k = 1; k <= 9; ++k) {
        folders.append(path(QStringLiteral("e%1").arg(k)));
        QDir().mkpath(folders.back());
    }
    add(folders);
    ASSERT_TRUE(session_->notice());
    EXPECT_EQ(session_->notice()->message,
              QStringLiteral("No PDFs or images in: e1, e2, e3, e4, e5, e6, e7, e8, and 1 more"));
}

TEST_F(AddingFiles, AFileWithoutPagesFailsAtCountingTime) {
    converter_->setPageCount("empty.pdf", 0);
    add({makeFile("empty.pdf")});
    const auto& item = *session_->items()[0];
    EXPECT_EQ(item.state(), State::failed("The document has no pages."));
    EXPECT_FALSE(item.pageCount());
    EXPECT_FALSE(session_->canConvert(Language::automatic)) << "it is never offered for conversion";
}

TEST_F(AddingFiles, TheModelWarmUpRunsOnceOnTheFirstRealAdditionAndItsFailureIsIgnored) {
    const QString a = makeFile("a.pdf");
    converter_->failWarmUp();
    add({path("missing.pdf")});
    EXPECT_EQ(converter_->warmUps(), 0) << "nothing was listed";

    session_->addFiles(urls({a}));
    executor_->runBackground(session::Work::gathering);
    executor_->runMainJobs();
    EXPECT_EQ(executor_->pendingBackground(session::Work::warmUp), 1u);
    executor_->runAll();
    EXPECT_EQ(converter_->warmUps(), 1);
    EXPECT_EQ(session_->items()[0]->pageCount(), 1) << "the failed warm-up changed nothing";

    add({a});
    add({makeFile("b.pdf")});
    EXPECT_EQ(converter_->warmUps(), 1);
}

TEST_F(AddingFiles, ACountThatEndsAfterRemovalLandsInTheRemovedItemOnly) {
    session_->addFiles(urls({makeFile("a.pdf")}));
    executor_->runBackground(session::Work::gathering);
    executor_->runMainJobs();
    const DocumentItemPtr item = session_->items()[0];
    session_->requestRemoval({item->id()});
    ASSERT_TRUE(session_->items().empty());

    QSignalSpy itemsSpy(session_.get(), &ConversionSession::itemsChanged);
    executor_->runAll();
    EXPECT_EQ(item->pageCount(), 1);
    EXPECT_TRUE(session_->items().empty());
    EXPECT_EQ(itemsSpy.count(), 0);
}

}  // namespace
