#include "session/ManualExecutor.h"

#include <algorithm>

namespace session {

void ManualExecutor::start(Work work, BackgroundJob job) {
    std::lock_guard guard(lock_);
    if (!closed_) background_.emplace_back(work, std::move(job));
}

bool ManualExecutor::shutDown(std::chrono::milliseconds) {
    std::deque<std::pair<Work, BackgroundJob>> background;
    std::deque<MainJob> main;
    {
        std::lock_guard guard(lock_);
        closed_ = true;
        background.swap(background_);
        main.swap(main_);
    }
    return true;
}

std::size_t ManualExecutor::pendingBackground(std::optional<Work> work) const {
    std::lock_guard guard(lock_);
    if (!work) return background_.size();
    return static_cast<std::size_t>(
        std::count_if(background_.begin(), background_.end(), [&](const auto& entry) { return entry.first == *work; }));
}

std::size_t ManualExecutor::pendingMain() const {
    std::lock_guard guard(lock_);
    return main_.size();
}

void ManualExecutor::post(MainJob job) {
    if (!job) return;
    std::lock_guard guard(lock_);
    if (!closed_) main_.push_back(std::move(job));
}

bool ManualExecutor::runBackground(std::optional<Work> work) {
    BackgroundJob job;
    {
        std::lock_guard guard(lock_);
        const auto found = std::find_if(background_.begin(), background_.end(),
                                        [&](const auto& entry) { return !work || entry.first == *work; });
        if (found == background_.end()) return false;
        job = std::move(found->second);
        background_.erase(found);
    }
    post(job([this](MainJob main) { post(std::move(main)); }));
    return true;
}

bool ManualExecutor::runMain() {
    MainJob job;
    {
        std::lock_guard guard(lock_);
        if (main_.empty()) return false;
        job = std::move(main_.front());
        main_.pop_front();
    }
    job();
    return true;
}

void ManualExecutor::runMainJobs() {
    while (runMain()) {
    }
}

void ManualExecutor::runAll() {
    do {
        runMainJobs();
    } while (runBackground());
}

}  // namespace session
