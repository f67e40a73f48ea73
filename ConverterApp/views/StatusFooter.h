// The strip below the document list: while a run is under way its page progress over
// the documents of the run, otherwise the number of files and of converted ones with a
// "Clear" link that asks the session to remove them all (the sidebar confirms when
// unexported results would be lost). It reads the session on every change.
#pragma once

#include <QWidget>

#include "session/ConversionSession.h"

class QLabel;
class QProgressBar;
class QPushButton;

class StatusFooter : public QWidget {
    Q_OBJECT
public:
    explicit StatusFooter(session::ConversionSession& session, QWidget* parent = nullptr);

    // Removes every document through the session's removal request; nothing while converting.
    void clearAll();

    QString text() const;
    const QProgressBar* progressBar() const { return progress_; }
    const QPushButton* clearButton() const { return clear_; }

private:
    void refresh();

    session::ConversionSession& session_;
    QProgressBar* progress_;
    QLabel* text_;
    QPushButton* clear_;
};
