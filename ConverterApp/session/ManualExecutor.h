// An executor for tests: nothing runs until the test says so. Background jobs wait in
// one queue and main-thread jobs in another; the test runs them one by one (on its own
// thread), so the session's rules are checked step by step without threads.
// A lock guards both queues, so jobs may also be posted from other threads.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <utility>

#include "session/Executor.h"

namespace session {

class ManualExecutor final : public Executor {
public:
    void start(Work work, BackgroundJob job) override;
    // Drops every queued job.
    bool shutDown(std::chrono::milliseconds limit) override;

    // Queued background jobs, of one kind or of all.
    std::size_t pendingBackground(std::optional<Work> work = std::nullopt) const;
    std::size_t pendingMain() const;

    // Runs the oldest background job (of that kind); the main-thread job it returns is
    // queued. False when there was none.
    bool runBackground(std::optional<Work> work = std::nullopt);
    // Runs the oldest main-thread job. False when there was none.
    bool runMain();
    // Runs every main-thread job, including those queued meanwhile.
    void runMainJobs();
    // Runs main-thread jobs first, then the oldest background job, until both queues are
    // empty.
    void runAll();

private:
    void post(MainJob job);

    mutable std::mutex lock_;  // guards the two queues and closed_
    std::deque<std::pair<Work, BackgroundJob>> background_;
    std::deque<MainJob> main_;
    bool closed_ = false;
};

}  // namespace session
