#include "app/AuxiliaryWindows.h"

#include "app/AcknowledgementsView.h"
#include "app/SettingsView.h"

namespace app {
namespace {

QWidget* present(QPointer<QWidget>& slot, const std::function<QWidget*()>& make) {
    if (!slot) {
        slot = make();
        slot->setAttribute(Qt::WA_DeleteOnClose);
    }
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot;
}

}  // namespace

AuxiliaryWindows::AuxiliaryWindows(session::Settings& settings, shell::ResourceBundle bundle)
    : settings_(settings), bundle_(std::move(bundle)) {}

AuxiliaryWindows::~AuxiliaryWindows() {
    delete acknowledgements_;
    delete settingsWindow_;
}

QWidget* AuxiliaryWindows::showAcknowledgements() {
    return present(acknowledgements_,
                   [this] { return new AcknowledgementsView(shell::Acknowledgement::loadAll(bundle_), bundle_); });
}

QWidget* AuxiliaryWindows::showSettings() {
    return present(settingsWindow_, [this] { return new SettingsView(settings_); });
}

void AuxiliaryWindows::closeAll() {
    if (acknowledgements_) acknowledgements_->close();
    if (settingsWindow_) settingsWindow_->close();
}

}  // namespace app
