// The log of the engine and the application session: subsystem
// "ziv.uzerov.irevora", one category per module, three levels. A message is a
// list of pieces; a piece marked private (Log::privateValue) reaches the system
// journal only as "<private>", so document text and error details never land in
// it. Entries go to the installed sink: a Log::Capture while one is alive, else the
// system sink (the pipeline installs the journal), else one line each on stderr.
// Safe to call from any thread.
#pragma once

#include <charconv>
#include <concepts>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace ce::Log {

inline constexpr std::string_view subsystem = "ziv.uzerov.irevora";

enum class Category { engine, session };
enum class Level { debug, info, error };

std::string_view name(Category category);  // "engine", "session"
std::string_view name(Level level);        // "debug", "info", "error"

// One piece of a message: public text, or a private value.
struct Piece {
    std::string text;
    bool isPrivate = false;

    Piece(std::string_view value) : text(value) {}
    Piece(const char* value) : text(value) {}
    Piece(const std::string& value) : text(value) {}
    template <typename Number>
        requires((std::integral<Number> && !std::same_as<Number, bool> && !std::same_as<Number, char>) ||
                 std::floating_point<Number>)
    Piece(Number value) {
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        text.assign(buffer, result.ptr);
    }
};

// A piece shown as "<private>" wherever the log leaves the process.
Piece privateValue(std::string value);

struct Entry {
    Category category = Category::engine;
    Level level = Level::info;
    std::vector<Piece> pieces;

    std::string redacted() const;  // private pieces as "<private>"
    std::string revealed() const;  // every piece as written
};

// Receives every entry while installed; called with the log's lock held, one
// entry at a time.
class Sink {
public:
    virtual ~Sink() = default;
    virtual void write(const Entry& entry) = 0;
};

// The line an entry takes where there is no journal:
// "ziv.uzerov.irevora[engine] error: text\n", private pieces redacted.
std::string fallbackLine(const Entry& entry);

// Makes `sink` (which must outlive every later entry) the system sink.
void installSystemSink(Sink& sink);

void write(Category category, Level level, std::vector<Piece> pieces);
inline void debug(Category category, std::vector<Piece> pieces) { write(category, Level::debug, std::move(pieces)); }
inline void info(Category category, std::vector<Piece> pieces) { write(category, Level::info, std::move(pieces)); }
inline void error(Category category, std::vector<Piece> pieces) { write(category, Level::error, std::move(pieces)); }

// For tests: while alive, every entry is kept here instead of reaching the journal.
// Captures nest; destroying one puts back the sink that was installed before it.
class Capture final : public Sink {
public:
    Capture();
    ~Capture() override;
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    std::vector<Entry> entries() const;
    void write(const Entry& entry) override;

private:
    mutable std::mutex mutex_;  // guards entries_
    std::vector<Entry> entries_;
    Sink* previous_ = nullptr;
};

}  // namespace ce::Log
