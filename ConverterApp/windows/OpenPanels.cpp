#include "OpenPanels.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

#include "pipeline/SupportedFiles.h"
#include "session/Paths.h"

namespace windows::OpenPanels {

namespace {

QString patterns(const std::vector<std::string>& extensions) {
    QStringList result;
    for (const auto& extension : extensions) {
        const QString lower = QString::fromStdString(extension);
        result << QStringLiteral("*.") + lower << QStringLiteral("*.") + lower.toUpper();
    }
    return result.join(QLatin1Char(' '));
}

// Qt's own dialog, so that several folders can be chosen and a message shown in it.
void useOwnDialog(QFileDialog& dialog, const QString& message) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (message.isEmpty()) return;
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        auto* label = new QLabel(message, &dialog);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        grid->addWidget(label, grid->rowCount(), 0, 1, grid->columnCount());
    }
}

// The chosen entries as they are on disk: the dialog lists names decoded, so a name that
// is not UTF-8 comes back with replacement characters and is looked up again.
QList<QUrl> onDisk(const QList<QUrl>& chosen) {
    QList<QUrl> files;
    for (const QUrl& url : chosen) files << session::Paths::matchOnDisk(url);
    return files;
}

}  // namespace

QStringList nameFilters() {
    std::vector<std::string> all;
    QStringList filters;
    for (const auto& type : ce::SupportedFiles::supportedTypes()) {
        all.insert(all.end(), type.extensions.begin(), type.extensions.end());
        filters << QStringLiteral("%1 (%2)").arg(QString::fromStdString(type.name), patterns(type.extensions));
    }
    filters.prepend(QFileDialog::tr("PDFs and images (%1)").arg(patterns(all)));
    return filters;
}

QList<QUrl> chooseFilesToAdd(QWidget* parent) {
    QFileDialog dialog(parent, QFileDialog::tr("Add Files"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(nameFilters());
    dialog.setLabelText(QFileDialog::Accept, QFileDialog::tr("Add"));
    return dialog.exec() == QDialog::Accepted ? onDisk(dialog.selectedUrls()) : QList<QUrl>{};
}

QList<QUrl> chooseFolderToAdd(QWidget* parent) {
    QFileDialog dialog(parent, QFileDialog::tr("Add Folder"));
    dialog.setFileMode(QFileDialog::Directory);
    useOwnDialog(dialog, QFileDialog::tr("Every PDF and image in the folder and its subfolders is added."));
    for (auto* view : dialog.findChildren<QAbstractItemView*>()) {
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
    dialog.setLabelText(QFileDialog::Accept, QFileDialog::tr("Add"));
    return dialog.exec() == QDialog::Accepted ? onDisk(dialog.selectedUrls()) : QList<QUrl>{};
}

std::optional<QUrl> chooseExportFolder(QWidget* parent) {
    QFileDialog dialog(parent, QFileDialog::tr("Export"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    useOwnDialog(dialog, QFileDialog::tr("Choose where to save the converted files."));
    dialog.setLabelText(QFileDialog::Accept, QFileDialog::tr("Export Here"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedUrls().isEmpty()) return std::nullopt;
    return session::Paths::matchOnDisk(dialog.selectedUrls().front());
}

}  // namespace windows::OpenPanels
