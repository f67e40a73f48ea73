#include "session/QtExecutor.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

#include <deque>
#include <mutex>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace session {

namespace {
// A job handed to a pool passes through QThreadPool's queue, whose locks live in the Qt
// library and are invisible to ThreadSanitizer; these mark the hand-off for it, so that a
// sanitised build checks the jobs' own data. They do nothing in other builds.
#if defined(__SANITIZE_THREAD__)
char poolHandOff;
void handOff() { __tsan_release(&poolHandOff); }
void takeOver() { __tsan_acquire(&poolHandOff); }
#else
void handOff() {}
void takeOver() {}
#endif

// Lives on the main thread and runs the queued main-thread jobs when woken.
class Receiver final : public QObject {
public:
    explicit Receiver(QtExecutor::Channel& channel) : channel_(channel) {}
    void customEvent(QEvent* event) override;
    bool draining = false;  // main thread only

private:
    QtExecutor::Channel& channel_;
};
}  // namespace

// Lets any thread queue a job for the main thread while the executor is open. The jobs
// wait in this queue, under this lock, and the main thread is only woken by an empty
// event, so every job's data passes between the threads through the one lock. `lock`
// guards `jobs`, `open`, `wakePending` and `receiver`; the receiver is deleted on the
// main thread only after `open` went false.
struct QtExecutor::Channel {
    std::mutex lock;
    std::deque<MainJob> jobs;
    bool open = true;
    bool wakePending = false;
    Receiver* receiver = nullptr;

    bool isOpen() {
        std::lock_guard guard(lock);
        return open;
    }

    void post(MainJob job) {
        if (!job) return;
        std::lock_guard guard(lock);
        if (!open) return;
        jobs.push_back(std::move(job));
        if (wakePending) return;
        wakePending = true;
        QCoreApplication::postEvent(receiver, new QEvent(QEvent::User));
    }

    // Runs the jobs queued before the wake-up; later ones wake the main thread again, so
    // a stream of progress reports never holds up the event loop.
    void drain() {
        std::deque<MainJob> batch;
        {
            std::lock_guard guard(lock);
            wakePending = false;
            batch.swap(jobs);
        }
        for (MainJob& job : batch) {
            if (!isOpen()) return;
            job();
        }
    }
};

void Receiver::customEvent(QEvent*) {
    draining = true;
    channel_.drain();
    draining = false;
}

QtExecutor::QtExecutor() : QtExecutor(Options{}) {}

QtExecutor::QtExecutor(const Options& options) : channel_(std::make_shared<Channel>()) {
    channel_->receiver = new Receiver(*channel_);
    const std::array<int, 5> threads = {options.gatheringThreads, options.countingThreads, options.conversionThreads,
                                        options.warmUpThreads, options.writingThreads};
    for (std::size_t k = 0; k < pools_.size(); ++k) {
        pools_[k] = std::make_unique<QThreadPool>();
        pools_[k]->setMaxThreadCount(std::max(1, threads[k]));
    }
    pools_[static_cast<std::size_t>(Work::warmUp)]->setThreadPriority(QThread::LowPriority);
}

QtExecutor::~QtExecutor() { shutDown(std::chrono::seconds(5)); }

void QtExecutor::start(Work work, BackgroundJob job) {
    if (!channel_->isOpen()) return;
    std::function<void()> task = [channel = channel_, job = std::move(job)] {
        takeOver();
        const Post post = [channel](MainJob main) { channel->post(std::move(main)); };
        channel->post(job(post));
    };
    handOff();
    pools_[static_cast<std::size_t>(work)]->start(std::move(task));
}

bool QtExecutor::shutDown(std::chrono::milliseconds limit) {
    Receiver* receiver = nullptr;
    std::deque<MainJob> dropped;
    {
        std::lock_guard guard(channel_->lock);
        if (channel_->open) {
            channel_->open = false;
            receiver = channel_->receiver;
            channel_->receiver = nullptr;
            dropped.swap(channel_->jobs);
        }
    }
    // A shut-down from inside a main-thread job must not delete the object running it.
    if (receiver && receiver->draining) {
        receiver->deleteLater();
    } else {
        delete receiver;
    }
    bool ended = true;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (auto& pool : pools_) {
        if (!pool) continue;
        pool->clear();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (pool->waitForDone(static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, left.count())))) continue;
        // A job that does not end in time keeps its pool: destroying a pool waits for
        // its threads without limit. The process is ending, so the pool is left to it.
        ended = false;
        (void)pool.release();
    }
    return ended;
}

}  // namespace session
