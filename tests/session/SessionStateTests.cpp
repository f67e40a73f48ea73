#include <QSignalSpy>

#include "SessionTestSupport.h"

using namespace sessiontest;
using Kind = ConversionSession::Notice::Kind;

namespace {

struct MessageCase {
    const char* name;
    std::exception_ptr error;
    const char* message;
};

void PrintTo(const MessageCase& c, std::ostream* os) { *os << c.name; }

class ErrorMessages : public ::testing::TestWithParam<MessageCase> {};

TEST_P(ErrorMessages, EachEngineErrorHasItsOwnMessage) {
    EXPECT_EQ(ConversionSession::errorMessage(GetParam().error), QString::fromUtf8(GetParam().message));
}

std::exception_ptr conversionError(ce::ConversionError::Kind kind) {
    return std::make_exception_ptr(ce::ConversionError(kind, "/any/file.pdf"));
}

INSTANTIATE_TEST_SUITE_P(
    Errors, ErrorMessages,
    ::testing::Values(
        MessageCase{"unsupportedFile", conversionError(ce::ConversionError::Kind::unsupportedFile),
                    "This type of file can’t be converted."},
        MessageCase{"unreadable", conversionError(ce::ConversionError::Kind::unreadable),
                    "The file can’t be read. It may be damaged or no longer available."},
        MessageCase{"passwordProtected", conversionError(ce::ConversionError::Kind::passwordProtected),
                    "The PDF is password-protected. Remove the password and add it again."},
        MessageCase{"noPages", conversionError(ce::ConversionError::Kind::noPages), "The document has no pages."},
        MessageCase{"otherError", std::make_exception_ptr(std::runtime_error("model not found: Layout")),
                    "The conversion failed: model not found: Layout"},
        MessageCase{"notAnException", std::make_exception_ptr(42), "The conversion failed: unknown error"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ListNames, ShowsEightNamesAndCountsTheRest) {
    QStringList names;
    for (int k = 1; k <= 10; ++k) names.append(QStringLiteral("f%1").arg(k));
    EXPECT_EQ(ConversionSession::listNames({}), QString());
    EXPECT_EQ(ConversionSession::listNames(names.mid(0, 1)), QStringLiteral("f1"));
    EXPECT_EQ(ConversionSession::listNames(names.mid(0, 8)), QStringLiteral("f1, f2, f3, f4, f5, f6, f7, f8"));
    EXPECT_EQ(ConversionSession::listNames(names.mid(0, 9)), QStringLiteral("f1, f2, f3, f4, f5, f6, f7, f8, and 1 more"));
    EXPECT_EQ(ConversionSession::listNames(names), QStringLiteral("f1, f2, f3, f4, f5, f6, f7, f8, and 2 more"));
}

class SessionState : public SessionTest {};

TEST_F(SessionState, EqualWritesAreSilentWhileNoticesAlwaysSignal) {
    QSignalSpy selection(session_.get(), &ConversionSession::selectionChanged);
    QSignalSpy requested(session_.get(), &ConversionSession::exportRequestedChanged);
    QSignalSpy pending(session_.get(), &ConversionSession::pendingRemovalChanged);
    QSignalSpy notice(session_.get(), &ConversionSession::noticeChanged);
    const QUuid id = QUuid::createUuid();

    session_->setSelection({id});
    session_->setSelection({id});
    session_->setExportRequested(false);
    session_->setExportRequested(true);
    session_->setExportRequested(true);
    session_->setPendingRemoval(std::nullopt);
    session_->setPendingRemoval(QSet<QUuid>{id});
    session_->setPendingRemoval(QSet<QUuid>{id});
    session_->setPendingRemoval(QSet<QUuid>{});
    const auto same = ConversionSession::Notice::make(Kind::info, QStringLiteral("t"), QStringLiteral("m"));
    session_->setNotice(same);
    session_->setNotice(same);

    EXPECT_EQ(selection.count(), 1);
    EXPECT_EQ(requested.count(), 1);
    EXPECT_EQ(pending.count(), 2) << "absent, then a set, then an empty set";
    EXPECT_EQ(notice.count(), 2);
}

TEST_F(SessionState, ANoticeIsClearedOnlyByItsOwnDismissal) {
    session_->raiseNotice(Kind::info, QStringLiteral("first"), {});
    const QUuid first = session_->notice()->id;
    session_->raiseNotice(Kind::error, QStringLiteral("second"), {});
    ASSERT_NE(session_->notice()->id, first);
    session_->dismissNotice(first);
    ASSERT_TRUE(session_->notice());
    EXPECT_EQ(session_->notice()->title, QStringLiteral("second"));
    session_->dismissNotice(session_->notice()->id);
    EXPECT_FALSE(session_->notice());
}

// One item's situation and whether the next run for a language takes it.
struct NeedCase {
    const char* name;
    std::function<void(DocumentItem&)> prepare;
    Language language;
    bool needs;
};

void PrintTo(const NeedCase& c, std::ostream* os) { *os << c.name; }

class NeedsConversion : public SessionTest, public ::testing::WithParamInterface<NeedCase> {};

TEST_P(NeedsConversion, FollowsStateResultAndLanguage) {
    DocumentItem item(QUrl::fromLocalFile(QStringLiteral("/in/a.pdf")), {}, false);
    GetParam().prepare(item);
    EXPECT_EQ(session_->needsConversion(item, GetParam().language), GetParam().needs);
}

void counted(DocumentItem& item) { item.setPageCount(3); }

INSTANTIATE_TEST_SUITE_P(
    Items, NeedsConversion,
    ::testing::Values(
        NeedCase{"readyCounted", counted, Language::automatic, true},
        NeedCase{"readyUncounted", [](DocumentItem&) {}, Language::automatic, false},
        NeedCase{"failedCounted", [](DocumentItem& i) { counted(i); i.setState(State::failed(QStringLiteral("x"))); },
                 Language::automatic, true},
        NeedCase{"cancelledCounted", [](DocumentItem& i) { counted(i); i.setState(State::cancelled()); },
                 Language::automatic, true},
        NeedCase{"queued", [](DocumentItem& i) { counted(i); i.setState(State::queued()); }, Language::automatic, false},
        NeedCase{"converting", [](DocumentItem& i) { counted(i); i.setState(State::converting(1, 3)); },
                 Language::automatic, false},
        NeedCase{"textLayerSameLanguage",
                 [](DocumentItem& i) { counted(i); giveResult(i, makeResult("/in/a.pdf", 3)); },
                 Language::automatic, false},
        NeedCase{"textLayerOtherLanguage",
                 [](DocumentItem& i) { counted(i); giveResult(i, makeResult("/in/a.pdf", 3)); },
                 Language::spanish, false},
        NeedCase{"recognisedOtherLanguage",
                 [](DocumentItem& i) { counted(i); giveResult(i, makeResult("/in/a.pdf", 3, {}, {2})); },
                 Language::spanish, true},
        NeedCase{"recognisedSameLanguage",
                 [](DocumentItem& i) {
                     counted(i);
                     giveResult(i, makeResult("/in/a.pdf", 3, {}, {2}), Language::spanish);
                 },
                 Language::spanish, false},
        NeedCase{"recognisedUnknownLanguage",
                 [](DocumentItem& i) {
                     counted(i);
                     giveResult(i, makeResult("/in/a.pdf", 3, {}, {0}));
                     i.setConvertedLanguage(std::nullopt);
                 },
                 Language::automatic, true},
        NeedCase{"failedPageNotRetried",
                 [](DocumentItem& i) { counted(i); giveResult(i, makeResult("/in/a.pdf", 3, {1})); },
                 Language::automatic, true},
        NeedCase{"failedPageRetried",
                 [](DocumentItem& i) {
                     counted(i);
                     giveResult(i, makeResult("/in/a.pdf", 3, {1}));
                     i.setFailedPagesRetried(true);
                 },
                 Language::automatic, false},
        NeedCase{"convertedWithoutResult", [](DocumentItem& i) { counted(i); i.setState(State::converted()); },
                 Language::automatic, true}),
    [](const auto& info) { return std::string(info.param.name); });

class Removal : public SessionTest {
protected:
    // Four items: a, an unexported result; b, converting; c, no result; d, exported.
    void SetUp() override {
        add({makeFile("a.pdf"), makeFile("b.pdf"), makeFile("c.pdf"), makeFile("d.pdf")});
        ASSERT_EQ(session_->items().size(), 4u);
        giveResult(item(0), makeResult("a.pdf", 1));
        item(1).setState(State::converting(0, 1));
        giveResult(item(3), makeResult("d.pdf", 1));
        item(3).setExported(true);
    }
    DocumentItem& item(std::size_t k) { return *session_->items()[k]; }
    QUuid id(std::size_t k) { return item(k).id(); }
};

TEST_F(Removal, AnUnexportedResultAsksAndConfirmingRemovesOnlyTheRemovable) {
    session_->setSelection({id(0), id(1), id(2)});
    session_->requestRemoval({id(0), id(1)});
    ASSERT_EQ(session_->pendingRemoval(), (QSet<QUuid>{id(0), id(1)}));
    EXPECT_EQ(session_->items().size(), 4u) << "nothing goes before the answer";

    session_->requestRemoval({id(0)});
    EXPECT_EQ(session_->pendingRemoval(), QSet<QUuid>{id(0)}) << "a new request replaces the pending one";

    QSignalSpy itemsSpy(session_.get(), &ConversionSession::itemsChanged);
    session_->removeItems({id(0), id(1)});
    EXPECT_FALSE(session_->pendingRemoval());
    EXPECT_EQ(fileNames(), (QStringList{"b.pdf", "c.pdf", "d.pdf"}));
    EXPECT_TRUE(item(0).state().is(State::Kind::converting));
    EXPECT_EQ(session_->selection(), (QSet<QUuid>{id(0), id(1)})) << "b and c stay selected";
    EXPECT_EQ(itemsSpy.count(), 1);
}

TEST_F(Removal, ExportedSampleAndUnconvertedItemsGoAtOnce) {
    add({makeFile("sample.pdf")}, true);
    giveResult(item(4), makeResult("sample.pdf", 1));
    session_->requestRemoval({id(2), id(3), id(4)});
    EXPECT_FALSE(session_->pendingRemoval());
    EXPECT_EQ(fileNames(), (QStringList{"a.pdf", "b.pdf"}));
}

TEST_F(Removal, RunningItemsAreNeverRemovedNorAskedAbout) {
    item(2).setState(State::queued());
    session_->requestRemoval({id(1), id(2), QUuid::createUuid()});
    EXPECT_FALSE(session_->pendingRemoval());
    EXPECT_EQ(session_->items().size(), 4u);

    session_->setPendingRemoval(QSet<QUuid>{id(1)});
    session_->removeItems({id(1)});
    EXPECT_FALSE(session_->pendingRemoval()) << "confirming clears the question even when nothing can go";
}

}  // namespace
