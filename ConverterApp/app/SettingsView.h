// The settings window: one "General" tab with the CSV separator and whether exported files are
// shown in the file manager afterwards. Both are the shared Settings' values: a change here is
// stored at once (no Apply step) and seen by every other reader, and a change made elsewhere
// shows here at once. 460 pixels wide whatever the labels' language, at least 220 high.
#pragma once

#include <QWidget>

#include "session/Settings.h"

class QCheckBox;
class QComboBox;

namespace app {

class GeneralSettingsView : public QWidget {
    Q_OBJECT

public:
    explicit GeneralSettingsView(session::Settings& settings, QWidget* parent = nullptr);

    QComboBox* separatorPicker() const { return separator_; }
    QCheckBox* revealToggle() const { return reveal_; }

private:
    void showSettings();

    session::Settings& settings_;
    QComboBox* separator_;
    QCheckBox* reveal_;
};

class SettingsView : public QWidget {
    Q_OBJECT

public:
    static constexpr int fixedWidth = 460;
    static constexpr int leastHeight = 220;

    explicit SettingsView(session::Settings& settings, QWidget* parent = nullptr);

    GeneralSettingsView* general() const { return general_; }

private:
    GeneralSettingsView* general_;
};

}  // namespace app
