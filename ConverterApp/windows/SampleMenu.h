// The "Open Sample" button of the drop zone: a menu with one entry per sample document,
// in the samples' order, each disabled while its PDF is missing from the resources (the
// entries are checked again each time the menu opens). Choosing one adds that PDF to the
// session as a sample.
#pragma once

#include <QPushButton>

#include "session/ConversionSession.h"
#include "shell/ResourceBundle.h"
#include "shell/Sample.h"

namespace windows {

class SampleMenu : public QPushButton {
    Q_OBJECT
public:
    SampleMenu(session::ConversionSession& session, shell::ResourceBundle bundle, QWidget* parent = nullptr);

    // Adds the sample's PDF as a sample item; nothing when the file is missing.
    void openSample(shell::Sample sample);
    QAction* action(shell::Sample sample) const;

private:
    void refresh();

    session::ConversionSession& session_;
    shell::ResourceBundle bundle_;
};

}  // namespace windows
