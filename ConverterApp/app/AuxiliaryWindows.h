// The acknowledgements and settings windows, at most one of each: asking for an open one
// brings it forward. The acknowledgements are read from the resources each time the window is
// made. Owned by the composition root; closes and deletes its windows when it goes.
// Main thread only; its state is the two window pointers, cleared when a window is closed.
#pragma once

#include <QPointer>
#include <QWidget>

#include "session/Settings.h"
#include "shell/ResourceBundle.h"

namespace app {

class AuxiliaryWindows {
public:
    AuxiliaryWindows(session::Settings& settings, shell::ResourceBundle bundle);
    ~AuxiliaryWindows();
    AuxiliaryWindows(const AuxiliaryWindows&) = delete;
    AuxiliaryWindows& operator=(const AuxiliaryWindows&) = delete;

    QWidget* showAcknowledgements();
    QWidget* showSettings();
    // Closes the two windows if they are open (quitting closes every window).
    void closeAll();

private:
    session::Settings& settings_;
    shell::ResourceBundle bundle_;
    QPointer<QWidget> acknowledgements_;
    QPointer<QWidget> settingsWindow_;
};

}  // namespace app
