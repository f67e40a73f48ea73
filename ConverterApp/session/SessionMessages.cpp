// The two text functions through which every message of the session about failed files
// and lists of names goes. English texts are the translation keys; counts come in
// through %n, so plural forms are the translations' business.
#include "session/ConversionSession.h"

#include "core/ConversionError.h"
#include "core/ErrorDescription.h"

namespace session {

QString ConversionSession::errorMessage(const std::exception_ptr& error) {
    if (!error) return tr("The conversion failed: ") + QStringLiteral("unknown error");
    try {
        std::rethrow_exception(error);
    } catch (const ce::ConversionError& conversionError) {
        switch (conversionError.kind()) {
            case ce::ConversionError::Kind::unsupportedFile: return tr("This type of file can’t be converted.");
            case ce::ConversionError::Kind::unreadable:
                return tr("The file can’t be read. It may be damaged or no longer available.");
            case ce::ConversionError::Kind::passwordProtected:
                return tr("The PDF is password-protected. Remove the password and add it again.");
            case ce::ConversionError::Kind::noPages: return tr("The document has no pages.");
        }
    } catch (...) {
    }
    return tr("The conversion failed: ") + QString::fromStdString(ce::describeError(error));
}

QString ConversionSession::listNames(const QStringList& names) {
    constexpr qsizetype shown = 8;
    QString text = names.mid(0, shown).join(QStringLiteral(", "));
    if (names.size() > shown) {
        text += QStringLiteral(", ") + tr("and %n more", nullptr, static_cast<int>(names.size() - shown));
    }
    return text;
}

}  // namespace session
