#include "RawOutputView.h"

#include "RawOutputText.h"
#include "ViewStyle.h"

RawOutputView::RawOutputView(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFont(ViewStyle::monospaced(ViewStyle::TextStyle::callout));
    setFrameShape(QFrame::NoFrame);
    document()->setDocumentMargin(16);
    QPalette p = palette();
    p.setColor(QPalette::Base, ViewStyle::textBackground());
    setPalette(p);
}

void RawOutputView::showPage(const ce::ConversionResult& result, const std::string& baseName,
                         const ce::ConvertedPage& page, ce::OutputFormat format, char delimiter) {
    // CR LF row ends stay in the text; the view shows each as one line break.
    setPlainText(RawOutputText::text(result, baseName, page, format, delimiter));
}
