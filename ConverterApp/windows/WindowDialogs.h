// Every dialog and panel the main window opens, as replaceable functions: the three open
// panels, the destructive confirmations (removal, replacing files), the notice alert and
// the file manager. The window calls only these, so tests hand in functions that answer
// at once and no test opens a modal dialog; real() gives Qt's dialogs. Confirmations and
// alerts answer later through their callback (the real ones are opened with open(), so
// the event loop keeps running); a callback runs at most once.
#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

#include "session/ConversionSession.h"

class QWidget;

namespace windows {

// A question before something is lost: the destructive action's button text, and Cancel.
struct Confirmation {
    QString title;
    QString message;
    QString action;  // "Remove", "Replace"
};

struct WindowDialogs {
    std::function<QList<QUrl>()> chooseFilesToAdd;          // empty when cancelled
    std::function<QList<QUrl>()> chooseFolderToAdd;         // empty when cancelled
    std::function<std::optional<QUrl>()> chooseExportFolder;  // nothing when cancelled
    // Calls back with true for the action, false for Cancel, Escape or closing.
    std::function<void(const Confirmation&, std::function<void(bool)>)> confirm;
    // Shows the notice; calls back with true when the user asked to see its files.
    std::function<void(const session::ConversionSession::Notice&, std::function<void(bool)>)> showNotice;
    // Shows the files in the file manager.
    std::function<void(const QList<QUrl>&)> reveal;

    // Qt's panels and message boxes over `window`, and the desktop's file manager.
    static WindowDialogs real(QWidget* window);
};

}  // namespace windows
