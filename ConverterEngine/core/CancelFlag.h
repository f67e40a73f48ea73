// A lock-guarded cancellation flag for one conversion. The caller's stop_token
// sets it (through a stop_callback) and the pipeline reads it between steps.
#pragma once

#include <mutex>

namespace ce {

class CancelFlag {
public:
    void set() {
        std::lock_guard guard(lock_);
        value_ = true;
    }
    bool isSet() const {
        std::lock_guard guard(lock_);
        return value_;
    }

private:
    mutable std::mutex lock_;  // guards value_
    bool value_ = false;
};

}  // namespace ce
