#include "core/Log.h"

#include "platform/SystemLog.h"

namespace ce::Log {

namespace {

// The installed sink and the lock that guards it; entries are written under the
// lock so that a capture cannot be removed while it receives one.
struct Installed {
    std::mutex mutex;
    Sink* sink = nullptr;  // null: the system log
};

Installed& installed() {
    static Installed state;
    return state;
}

std::string joined(const std::vector<Piece>& pieces, bool redact) {
    std::string out;
    for (const Piece& piece : pieces) out += (redact && piece.isPrivate) ? "<private>" : piece.text;
    return out;
}

}  // namespace

std::string_view name(Category category) { return category == Category::engine ? "engine" : "session"; }

std::string_view name(Level level) {
    switch (level) {
        case Level::debug: return "debug";
        case Level::info: return "info";
        case Level::error: return "error";
    }
    return "info";
}

Piece privateValue(std::string value) {
    Piece piece(value);
    piece.isPrivate = true;
    return piece;
}

std::string Entry::redacted() const { return joined(pieces, true); }
std::string Entry::revealed() const { return joined(pieces, false); }

void write(Category category, Level level, std::vector<Piece> pieces) {
    const Entry entry{category, level, std::move(pieces)};
    Installed& state = installed();
    std::lock_guard lock(state.mutex);
    if (state.sink) {
        state.sink->write(entry);
    } else {
        platform::SystemLog::write(entry);
    }
}

Capture::Capture() {
    Installed& state = installed();
    std::lock_guard lock(state.mutex);
    previous_ = state.sink;
    state.sink = this;
}

Capture::~Capture() {
    Installed& state = installed();
    std::lock_guard lock(state.mutex);
    if (state.sink == this) state.sink = previous_;
}

std::vector<Entry> Capture::entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

void Capture::write(const Entry& entry) {
    std::lock_guard lock(mutex_);
    entries_.push_back(entry);
}

}  // namespace ce::Log
