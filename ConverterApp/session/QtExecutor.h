// The application's executor: one bounded QThreadPool per kind of work and queued calls
// back to the thread that made it (the main thread). Page counts thus never take more
// than their own few threads, however many files are added, and never hold up
// conversions or the export writer, which runs its jobs one after another.
#pragma once

#include <QThreadPool>

#include <array>
#include <memory>

#include "session/Executor.h"

namespace session {

class QtExecutor final : public Executor {
public:
    struct Options {
        int gatheringThreads = 2;
        int countingThreads = 4;
        int conversionThreads = 2;
        int warmUpThreads = 1;
        int writingThreads = 1;  // one: exports are written in the order they were started
    };

    QtExecutor();
    explicit QtExecutor(const Options& options);
    ~QtExecutor() override;

    void start(Work work, BackgroundJob job) override;
    bool shutDown(std::chrono::milliseconds limit) override;

    // The queue of main-thread jobs, shared with running jobs; defined in the source.
    struct Channel;

private:
    std::shared_ptr<Channel> channel_;
    std::array<std::unique_ptr<QThreadPool>, 5> pools_;
};

}  // namespace session
