// The exact text export writes for the current page (RawOutputText), in a monospaced,
// selectable, read-only view that scrolls both ways and never wraps.
#pragma once

#include <QPlainTextEdit>

#include "EngineTypes.h"

class RawOutputView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit RawOutputView(QWidget* parent = nullptr);

    void showPage(const ce::ConversionResult& result, const std::string& baseName, const ce::ConvertedPage& page,
              ce::OutputFormat format, char delimiter);
};
