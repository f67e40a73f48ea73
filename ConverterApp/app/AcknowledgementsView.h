// The acknowledgements window's content: the components on the left (name, and licence in
// small type), and on the right the selected one's name, role, a note when a changed version
// is shipped, and its licence text; without a selection, a short explanation. The first
// entry is selected when the view is shown with nothing selected. Two entries with the same
// licence file share one selection, which shows the first of them.
#pragma once

#include <optional>
#include <vector>

#include <QString>
#include <QWidget>

#include "shell/Acknowledgement.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QStackedWidget;

namespace app {

class AcknowledgementsView : public QWidget {
    Q_OBJECT

public:
    static constexpr int defaultWidth = 760;
    static constexpr int defaultHeight = 560;

    AcknowledgementsView(std::vector<shell::Acknowledgement> entries, shell::ResourceBundle bundle,
                         QWidget* parent = nullptr);

    const std::optional<QString>& selection() const { return selection_; }
    void setSelection(std::optional<QString> file);

    // The text of the detail (the placeholder's when nothing is selected), for tests.
    bool showsPlaceholder() const;
    QString detailTitle() const;
    bool showsModifiedNote() const;
    QString licenseText() const;
    QListWidget* list() const { return list_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showDetail();

    std::vector<shell::Acknowledgement> entries_;
    shell::ResourceBundle bundle_;
    std::optional<QString> selection_;
    QListWidget* list_;
    QStackedWidget* detail_;
    QLabel* title_;
    QLabel* role_;
    QWidget* modified_;
    QPlainTextEdit* license_;
};

}  // namespace app
