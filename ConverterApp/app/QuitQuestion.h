// The modal quit question: the rules' message and informative text with "Quit" (a destructive
// answer) and "Cancel". Enter and Escape both answer Cancel, so no key press loses work by
// accident; only "Quit" (clicked, or Alt+Q) quits.
#pragma once

#include <chrono>
#include <memory>

#include <QMessageBox>

#include "app/AppDelegate.h"

namespace app::QuitQuestion {

// The question as a box, not yet shown (for the caller that shows it, and for screenshots).
std::unique_ptr<QMessageBox> make(QWidget* parent, const AppDelegate::Question& question);

// Shows the question and waits; true when the answer is "Quit".
bool ask(QWidget* parent, const AppDelegate::Question& question);

// The whole rule: true when quitting may go ahead now (nothing to lose, or "Quit" chosen).
bool confirm(QWidget* parent, const AppDelegate::State& state);

// How long quitting waits for a run's conversions and an export's writing to end.
inline constexpr std::chrono::seconds shutDownLimit{5};

// What closing the main window or Quit does: asks when the session's state calls for it and,
// unless the answer is Cancel, shuts the session down (a run is cancelled, background work gets
// at most shutDownLimit) and returns true, after which the caller ends the event loop. Cancel
// leaves the session untouched and returns false.
bool closeSession(QWidget* parent, session::ConversionSession& session);

}  // namespace app::QuitQuestion
