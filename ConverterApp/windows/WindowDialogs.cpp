#include "WindowDialogs.h"

#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <memory>

#include "FileManager.h"
#include "OpenPanels.h"

namespace windows {

namespace {

// A message box shown with open(): plain texts, deleted when answered.
QMessageBox* messageBox(QWidget* window, const QString& title, const QString& message) {
    auto* box = new QMessageBox(window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->setTextFormat(Qt::PlainText);
    box->setText(title);
    box->setInformativeText(message);
    if (auto* informative = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        informative->setTextFormat(Qt::PlainText);
    }
    return box;
}

}  // namespace

WindowDialogs WindowDialogs::real(QWidget* window) {
    WindowDialogs dialogs;
    dialogs.chooseFilesToAdd = [window] { return OpenPanels::chooseFilesToAdd(window); };
    dialogs.chooseFolderToAdd = [window] { return OpenPanels::chooseFolderToAdd(window); };
    dialogs.chooseExportFolder = [window] { return OpenPanels::chooseExportFolder(window); };
    dialogs.confirm = [window](const Confirmation& question, std::function<void(bool)> answer) {
        QMessageBox* box = messageBox(window, question.title, question.message);
        box->setIcon(QMessageBox::Warning);
        QPushButton* action = box->addButton(question.action, QMessageBox::DestructiveRole);
        QPushButton* cancel = box->addButton(QMessageBox::tr("Cancel"), QMessageBox::RejectRole);
        box->setDefaultButton(cancel);
        box->setEscapeButton(cancel);
        QObject::connect(box, &QMessageBox::finished, box,
                         [box, action, answer] { answer(box->clickedButton() == action); });
        box->open();
    };
    // One alert at a time: a new notice closes the alert of the one it replaces.
    auto shown = std::make_shared<QPointer<QMessageBox>>();
    dialogs.showNotice = [window, shown](const session::ConversionSession::Notice& notice,
                                         std::function<void(bool)> answer) {
        if (*shown) (*shown)->close();
        QMessageBox* box = messageBox(window, notice.title, notice.message);
        box->setIcon(notice.kind == session::ConversionSession::Notice::Kind::error ? QMessageBox::Warning
                                                                                    : QMessageBox::Information);
        QPushButton* reveal = nullptr;
        if (!notice.reveal.isEmpty()) {
            reveal = box->addButton(QMessageBox::tr("Show in File Manager"), QMessageBox::AcceptRole);
            box->setDefaultButton(reveal);
        }
        QPushButton* ok = box->addButton(QMessageBox::tr("OK"), reveal ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
        if (!reveal) box->setDefaultButton(ok);
        box->setEscapeButton(ok);
        QObject::connect(box, &QMessageBox::finished, box, [box, reveal, answer] {
            answer(reveal != nullptr && box->clickedButton() == reveal);
        });
        *shown = box;
        box->open();
    };
    dialogs.reveal = [](const QList<QUrl>& files) { FileManager::showItems(files); };
    return dialogs;
}

}  // namespace windows
