// The user's stored preferences, one typed getter, setter and change signal each, over
// QSettings. Enumerations are stored as their raw strings, booleans as true/false and the
// split share as a number. A stored value that is not exactly a valid raw value ("abc"
// for a boolean, "nan" or "inf" for the share, "Semicolon" for the separator) reads as
// the default, and every reader has the same defaults, so an absent or damaged key reads
// the same everywhere.
//
// Any number of Settings objects may be open on one store (menus, toolbar, settings
// window, views): a change written through one is signalled by all of them. A setter
// signals only when the value read back differs from the value read before. Main thread
// only.
#pragma once

#include <QObject>
#include <QSettings>
#include <QString>

#include <memory>

#include "session/CSVSeparator.h"
#include "session/EngineTypes.h"

namespace session {

class Settings : public QObject {
    Q_OBJECT

public:
    using Language = ce::ConversionOptions::Language;

    static constexpr const char* outputFormatKey = "outputFormat";            // default markdown
    static constexpr const char* scanLanguageKey = "languageHint";            // default automatic
    static constexpr const char* csvSeparatorKey = "csvSeparator";            // default comma
    static constexpr const char* revealAfterExportKey = "revealAfterExport";  // default false
    static constexpr const char* showRegionsKey = "showRegions";              // default true
    static constexpr const char* previewSplitKey = "previewSplit";            // default 0.5

    // The application's own settings (QSettings for the organisation and application
    // names of the QCoreApplication).
    explicit Settings(QObject* parent = nullptr);
    // Settings kept in the INI file at `fileName`.
    explicit Settings(const QString& fileName, QObject* parent = nullptr);
    ~Settings() override;

    ce::OutputFormat outputFormat() const;
    void setOutputFormat(ce::OutputFormat value);

    Language scanLanguage() const;
    void setScanLanguage(Language value);

    CSVSeparator csvSeparator() const;
    void setCSVSeparator(CSVSeparator value);

    bool revealAfterExport() const;
    void setRevealAfterExport(bool value);

    bool showRegions() const;
    void setShowRegions(bool value);

    // The share of the preview's width given to the source page (any finite number;
    // the split pane clamps it for display); a NaN or infinite share is not stored.
    double previewSplit() const;
    void setPreviewSplit(double value);

signals:
    void outputFormatChanged();
    void scanLanguageChanged();
    void csvSeparatorChanged();
    void revealAfterExportChanged();
    void showRegionsChanged();
    void previewSplitChanged();

private:
    void connectToStore();
    void announce(const QString& key);
    void keyChanged(const QString& store, const QString& key);
    template <class Value, class Read>
    void write(const char* key, const QVariant& stored, const Value& value, Read read);

    std::unique_ptr<QSettings> store_;
};

}  // namespace session
