#include "app/QuitQuestion.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QPushButton>
#include <QSpacerItem>

#include "session/ConversionSession.h"

namespace app::QuitQuestion {

std::unique_ptr<QMessageBox> make(QWidget* parent, const AppDelegate::Question& question) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(QCoreApplication::translate("QuitQuestion", "Quit"));
    box->setText(question.message);
    box->setInformativeText(question.informative);
    box->setWindowModality(Qt::ApplicationModal);
    box->addButton(QCoreApplication::translate("QuitQuestion", "&Quit"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box->addButton(QCoreApplication::translate("QuitQuestion", "Cancel"), QMessageBox::RejectRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    // A message box is only as wide as its longest line; give the two sentences room to stand
    // on one line each.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        grid->addItem(new QSpacerItem(380, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    return box;
}

bool ask(QWidget* parent, const AppDelegate::Question& question) {
    const std::unique_ptr<QMessageBox> box = make(parent, question);
    box->exec();
    return box->buttonRole(box->clickedButton()) == QMessageBox::DestructiveRole;
}

bool confirm(QWidget* parent, const AppDelegate::State& state) {
    const std::optional<AppDelegate::Question> asked = AppDelegate::question(state);
    return !asked || ask(parent, *asked);
}

bool closeSession(QWidget* parent, session::ConversionSession& session) {
    if (!confirm(parent, AppDelegate::stateOf(session))) return false;
    session.shutDown(shutDownLimit);
    return true;
}

}  // namespace app::QuitQuestion
