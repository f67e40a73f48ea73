// Where the session's background work runs. A background job runs off the main thread
// and returns the job to run on the main thread with its outcome (or nothing); while it
// runs it may queue further main-thread jobs through the `post` it is given, from any
// thread (progress reports). Main-thread jobs run in the order they were queued.
//
// Background jobs must carry only plain values and weak references: the main-thread jobs
// they return are where the session's state is touched. After shutDown no further job
// starts and queued main-thread jobs are dropped, so they may refer to their session.
#pragma once

#include <chrono>
#include <functional>

namespace session {

// The kinds of background work; each runs on its own bounded set of threads.
enum class Work { gathering, counting, conversion, warmUp, writing };

class Executor {
public:
    using MainJob = std::function<void()>;
    using Post = std::function<void(MainJob)>;
    using BackgroundJob = std::function<MainJob(const Post& post)>;

    virtual ~Executor() = default;

    // Called on the main thread.
    virtual void start(Work work, BackgroundJob job) = 0;

    // Stops taking work and drops queued main-thread jobs, waiting at most `limit` for the
    // running background jobs; true when they all ended in time.
    virtual bool shutDown(std::chrono::milliseconds limit) = 0;
};

}  // namespace session
