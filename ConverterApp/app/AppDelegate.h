// The application delegate's rules: when quitting (or closing the main window, which on Linux
// is the same: a process without a window cannot be reached again) must ask first, and with
// which words. Pure functions of the state at the moment of asking, so the text always matches
// what would be lost then.
#pragma once

#include <optional>
#include <vector>

#include <QString>

namespace session {
class ConversionSession;
class DocumentItem;
}

namespace app::AppDelegate {

// What the rules read of one listed document.
struct ItemFacts {
    bool hasResult = false;
    bool exported = false;
    bool isSample = false;
};

struct State {
    bool isConverting = false;
    std::vector<ItemFacts> items;  // in list order
};

struct Question {
    QString message;      // "Quit while converting?" or "Quit without exporting?"
    QString informative;  // "Converted files that weren’t exported are lost."
};

ItemFacts factsOf(const session::DocumentItem& item);
// The session's state as the rules read it, at this moment.
State stateOf(const session::ConversionSession& session);

// A converted, unexported document that is not a sample.
bool holdsUnsavedWork(const ItemFacts& item);

// Nothing when quitting loses nothing (quit at once); otherwise the question to ask, worded
// for a conversion under way when one is.
std::optional<Question> question(const State& state);

}  // namespace app::AppDelegate
