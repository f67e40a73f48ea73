#include "core/Log.h"

#include <cstdio>

namespace ce::Log {

namespace {

// The installed sink and the lock that guards it; entries are written under the
// lock so that a capture cannot be removed while it receives one.
struct Installed {
    std::mutex mutex;
    Sink* sink = nullptr;    // a capture; null: the system sink
    Sink* system = nullptr;  // null: stderr
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

std::string fallbackLine(const Entry& entry) {
    std::string line(subsystem);
    line += '[';
    line += name(entry.category);
    line += "] ";
    line += name(entry.level);
    line += ": ";
    line += entry.redacted();
    line += '\n';
    return line;
}

void installSystemSink(Sink& sink) {
    Installed& state = installed();
    std::lock_guard lock(state.mutex);
    state.system = &sink;
}

void write(Category category, Level level, std::vector<Piece> pieces) {
    const Entry entry{category, level, std::move(pieces)};
    Installed& state = installed();
    std::lock_guard lock(state.mutex);
    if (state.sink) {
        state.sink->write(entry);
    } else if (state.system) {
        state.system->write(entry);
    } else {
        const std::string line = fallbackLine(entry);
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
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
