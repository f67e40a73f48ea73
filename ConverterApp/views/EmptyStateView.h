// A centred message for a pane with nothing to show: an icon, a title, an optional
// description and an optional action button, or a progress bar with a caption. Every
// text is shown as plain text.
#pragma once

#include <QWidget>

class BalancedLabel;
class QLabel;
class QProgressBar;
class QPushButton;

class EmptyStateView : public QWidget {
    Q_OBJECT
public:
    explicit EmptyStateView(QWidget* parent = nullptr);

    // An icon (none when null), a title and a description (hidden when empty).
    void showMessage(const QIcon& icon, const QString& title, const QString& description = {});
    // A progress bar (indeterminate when total < 1) with a caption below.
    void showProgress(int value, int total, const QString& caption);
    // The action button below the message; hidden when `text` is empty. A prominent
    // action is drawn in the accent colour.
    void setAction(const QString& text, bool enabled, bool prominent = false);

    QString title() const;
    QString description() const;
    QString caption() const;
    QPushButton* actionButton() const { return button_; }
    QProgressBar* progressBar() const { return progress_; }

signals:
    void actionTriggered();

private:
    QLabel* icon_;
    QLabel* title_;
    BalancedLabel* description_;
    QProgressBar* progress_;
    QLabel* caption_;
    QPushButton* button_;
};
