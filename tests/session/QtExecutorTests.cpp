#include <QThread>

#include <atomic>
#include <future>
#include <vector>

#include "SessionTestSupport.h"
#include "session/QtExecutor.h"

using namespace session;
using sessiontest::spinUntil;

namespace {

TEST(QtExecutor, WorkRunsOffTheMainThreadAndReportsBackOnItInOrder) {
    QtExecutor executor;
    QThread* const mainThread = QThread::currentThread();
    std::vector<int> seen;
    std::atomic<bool> ranElsewhere = false;
    executor.start(Work::conversion, [&](const Executor::Post& post) -> Executor::MainJob {
        ranElsewhere = QThread::currentThread() != mainThread;
        for (int k = 0; k < 3; ++k) {
            post([&seen, k, mainThread] {
                if (QThread::currentThread() == mainThread) seen.push_back(k);
            });
        }
        return [&seen, mainThread] {
            if (QThread::currentThread() == mainThread) seen.push_back(99);
        };
    });
    ASSERT_TRUE(spinUntil([&] { return seen.size() == 4; }));
    EXPECT_TRUE(ranElsewhere);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 99}));
}

TEST(QtExecutor, ShutDownWaitsWithALimitAndDropsLateReports) {
    QtExecutor executor;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> started = false;
    bool reported = false;
    executor.start(Work::writing, [&, released](const Executor::Post&) -> Executor::MainJob {
        started = true;
        released.wait();
        return [&reported] { reported = true; };
    });
    ASSERT_TRUE(spinUntil([&] { return started.load(); }));
    EXPECT_FALSE(executor.shutDown(std::chrono::milliseconds(50)));
    executor.start(Work::writing, [&](const Executor::Post&) -> Executor::MainJob { return [&reported] { reported = true; }; });
    release.set_value();
    QThread::msleep(50);
    QCoreApplication::processEvents();
    EXPECT_FALSE(reported);
}

}  // namespace
