#include "app/UpdateResult.h"

#include <QCoreApplication>

#include "shell/ProductInfo.h"

namespace app::UpdateResult {
namespace {

QString tr(const char* text) { return QCoreApplication::translate("UpdateResult", text); }

}  // namespace

std::unique_ptr<QMessageBox> make(QWidget* parent, const shell::UpdateCheckResult& result,
                                  const QString& currentVersion) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(tr("Check for Updates"));
    box->setTextFormat(Qt::PlainText);
    switch (result.outcome) {
        case shell::UpdateCheckResult::Outcome::updateAvailable: {
            box->setIcon(QMessageBox::Information);
            box->setText(tr("Version %1 of %2 is available.").arg(result.latestVersion, shell::ProductInfo::appName()));
            QString details = tr("You have version %1.").arg(currentVersion);
            if (!result.releaseNotes.isEmpty()) {
                const QString link = result.releaseNotes.toString(QUrl::FullyEncoded).toHtmlEscaped();
                details = details.toHtmlEscaped() + QStringLiteral("<br><a href=\"%1\">%2</a>").arg(link, tr("Release notes"));
                box->setTextFormat(Qt::RichText);
            }
            box->setInformativeText(details);
            break;
        }
        case shell::UpdateCheckResult::Outcome::upToDate:
            box->setIcon(QMessageBox::Information);
            box->setText(tr("%1 is up to date.").arg(shell::ProductInfo::appName()));
            box->setInformativeText(tr("Version %1 is the newest version.").arg(currentVersion));
            break;
        case shell::UpdateCheckResult::Outcome::failed:
            box->setIcon(QMessageBox::Warning);
            box->setText(tr("The update check failed."));
            box->setInformativeText(result.error);
            break;
    }
    box->setStandardButtons(QMessageBox::Ok);
    box->setTextInteractionFlags(Qt::TextBrowserInteraction);
    return box;
}

void show(QWidget* parent, const shell::UpdateCheckResult& result, const QString& currentVersion) {
    QMessageBox* box = make(parent, result, currentVersion).release();
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace app::UpdateResult
