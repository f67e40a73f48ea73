// One document of the sidebar: its kind, its name (shortened in the middle), its status
// line (page count, progress bar, summary, failure) and a status mark. It follows the
// item's change signals and says through contentChanged when its height may have
// changed, so the list can lay it out again. It has no actions of its own. On the
// selection of an active window (setOnAccent) its coloured texts and marks turn to the
// selection's text colour so they stay readable.
#pragma once

#include <QWidget>

#include "FileRowText.h"
#include "session/DocumentItem.h"

class ElidedLabel;
class QLabel;
class QProgressBar;

class FileRow : public QWidget {
    Q_OBJECT
public:
    explicit FileRow(session::DocumentItemPtr item, QWidget* parent = nullptr);

    const session::DocumentItemPtr& item() const { return item_; }
    void setOnAccent(bool onAccent);
    bool onAccent() const { return onAccent_; }

    // What the row shows, for the sidebar and tests.
    QString nameText() const;
    QString statusLineText() const;   // the status text, the summary or the page text
    QColor statusLineColor() const;
    const QProgressBar* progressBar() const { return progress_; }
    FileRowText::StatusMark shownMark() const { return mark_; }

signals:
    void contentChanged();

private:
    void refresh();

    session::DocumentItemPtr item_;
    bool onAccent_ = false;
    FileRowText::StatusMark mark_ = FileRowText::StatusMark::none;
    QLabel* fileIcon_;
    ElidedLabel* name_;
    QProgressBar* progress_;
    ElidedLabel* status_;
    QLabel* statusIcon_;
};
