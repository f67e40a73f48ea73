#include "session/QtExecutor.h"

#include <QObject>
#include <QThread>

#include <mutex>

namespace session {

// Lets any thread queue a job for the main thread while the executor is open. The lock
// guards `receiver` and `open`; the receiver lives on the main thread and is deleted
// there only after `open` went false, and a job delivered late checks `open` again.
struct QtExecutor::Channel {
    std::mutex lock;
    QObject* receiver = nullptr;
    bool open = true;

    bool isOpen() {
        std::lock_guard guard(lock);
        return open;
    }

    static void post(const std::shared_ptr<Channel>& channel, MainJob job) {
        if (!job) return;
        std::lock_guard guard(channel->lock);
        if (!channel->open) return;
        QMetaObject::invokeMethod(
            channel->receiver,
            [channel, job = std::move(job)] {
                if (channel->isOpen()) job();
            },
            Qt::QueuedConnection);
    }
};

QtExecutor::QtExecutor() : QtExecutor(Options{}) {}

QtExecutor::QtExecutor(const Options& options) : channel_(std::make_shared<Channel>()) {
    channel_->receiver = new QObject;
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
    pools_[static_cast<std::size_t>(work)]->start([channel = channel_, job = std::move(job)] {
        const Post post = [channel](MainJob main) { Channel::post(channel, std::move(main)); };
        Channel::post(channel, job(post));
    });
}

bool QtExecutor::shutDown(std::chrono::milliseconds limit) {
    QObject* receiver = nullptr;
    {
        std::lock_guard guard(channel_->lock);
        if (channel_->open) {
            channel_->open = false;
            receiver = channel_->receiver;
            channel_->receiver = nullptr;
        }
    }
    delete receiver;  // drops the main-thread jobs still queued
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
