// What a document's row in the sidebar and the status footer below the list say, as pure
// functions of the document and the session's counts, so that every text and choice of
// mark is tested without a display. File names and failure messages are returned as they
// stand; the widgets show them as plain text.
#pragma once

#include <QString>
#include <QUrl>

#include "session/DocumentItem.h"

namespace FileRowText {

enum class FileIcon { document, photo };
enum class StatusMark { none, failed, converted };

// The page bar of a document being converted: `value` of `maximum` (never 0) and its text.
struct PageProgress {
    int value = 0;
    int maximum = 1;
    QString text;  // "Page N of M", N never beyond M
    bool operator==(const PageProgress&) const = default;
};

// The one-line outcome of a converted document.
struct ConvertedSummary {
    QString text;          // "3 pages, 1 failed", "3 pages, 2 tables" or "3 pages"
    bool warns = false;    // some pages failed: drawn in orange (or plain on the selection)
    bool operator==(const ConvertedSummary&) const = default;
};

// The document mark for a PDF (the extension "pdf" in any case), the picture mark otherwise.
FileIcon fileIcon(const QUrl& url);
// The file's name, the URL's last path component.
QString fileName(const QUrl& url);
// The row's tooltip: the sub-folder it was found in, "/" and the file name; the name alone
// for a file added by itself.
QString tooltip(const session::DocumentItem& item);

PageProgress pageProgress(int completed, int total);
// The status line of every state but converting and converted: the page count (or
// "Reading…" while it is counted), "Waiting…", "Stopped" or the failure message.
QString statusText(const session::DocumentItem& item);
StatusMark statusMark(const session::DocumentItem::State& state);
ConvertedSummary convertedSummary(const ce::ConversionResult& result);

}  // namespace FileRowText

namespace StatusFooterText {

// "N of M pages" while a run is under way.
QString runProgress(int completed, int total);
// "N files, M converted" when idle.
QString counts(int files, int converted);

}  // namespace StatusFooterText
