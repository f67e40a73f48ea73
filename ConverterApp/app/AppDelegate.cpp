#include "app/AppDelegate.h"

#include <algorithm>

#include <QCoreApplication>

#include "session/ConversionSession.h"

namespace app::AppDelegate {

ItemFacts factsOf(const session::DocumentItem& item) {
    return ItemFacts{item.result() != nullptr, item.exported(), item.isSample()};
}

State stateOf(const session::ConversionSession& session) {
    State state;
    state.isConverting = session.isConverting();
    for (const session::DocumentItemPtr& item : session.items()) state.items.push_back(factsOf(*item));
    return state;
}

bool holdsUnsavedWork(const ItemFacts& item) { return item.hasResult && !item.exported && !item.isSample; }

std::optional<Question> question(const State& state) {
    const bool unsaved = std::any_of(state.items.begin(), state.items.end(), holdsUnsavedWork);
    if (!state.isConverting && !unsaved) return std::nullopt;
    Question asked;
    asked.message = state.isConverting ? QCoreApplication::translate("AppDelegate", "Quit while converting?")
                                       : QCoreApplication::translate("AppDelegate", "Quit without exporting?");
    asked.informative = QCoreApplication::translate("AppDelegate", "Converted files that weren\u2019t exported are lost.");
    return asked;
}

}  // namespace app::AppDelegate
