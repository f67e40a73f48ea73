// The detail pane while no document is selected: an invitation to drop files, with the
// Add Files…, Add Folder… and Open Sample buttons, inside a dashed outline. The drop
// itself is taken by the whole window; the buttons go through the window's panels.
#pragma once

#include <QWidget>

#include "WindowDialogs.h"
#include "session/ConversionSession.h"
#include "shell/ResourceBundle.h"

class QPushButton;

namespace windows {

class SampleMenu;

class DropZoneView : public QWidget {
    Q_OBJECT
public:
    DropZoneView(session::ConversionSession& session, const WindowDialogs& dialogs, shell::ResourceBundle bundle,
             QWidget* parent = nullptr);

    QPushButton* addFilesButton() const { return addFiles_; }
    QPushButton* addFolderButton() const { return addFolder_; }
    SampleMenu* sampleMenu() const { return samples_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPushButton* addFiles_;
    QPushButton* addFolder_;
    SampleMenu* samples_;
};

}  // namespace windows
