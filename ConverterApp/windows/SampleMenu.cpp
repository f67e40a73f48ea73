#include "SampleMenu.h"

#include <QMenu>

namespace windows {

SampleMenu::SampleMenu(session::ConversionSession& session, shell::ResourceBundle bundle, QWidget* parent)
    : QPushButton(tr("Open Sample"), parent), session_(session), bundle_(std::move(bundle)) {
    auto* menu = new QMenu(this);
    for (const shell::Sample sample : shell::Samples::allCases) {
        QAction* entry = menu->addAction(shell::Samples::title(sample));
        entry->setData(static_cast<int>(sample));
        connect(entry, &QAction::triggered, this, [this, sample] { openSample(sample); });
    }
    connect(menu, &QMenu::aboutToShow, this, &SampleMenu::refresh);
    setMenu(menu);
    refresh();
}

QAction* SampleMenu::action(shell::Sample sample) const {
    for (QAction* entry : menu()->actions()) {
        if (entry->data().toInt() == static_cast<int>(sample)) return entry;
    }
    return nullptr;
}

void SampleMenu::openSample(shell::Sample sample) {
    const auto path = shell::Samples::url(bundle_, sample);
    if (!path) return;
    session_.addFiles({QUrl::fromLocalFile(*path)}, true);
}

void SampleMenu::refresh() {
    for (const shell::Sample sample : shell::Samples::allCases) {
        action(sample)->setEnabled(shell::Samples::url(bundle_, sample).has_value());
    }
}

}  // namespace windows
