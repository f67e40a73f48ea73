#include "SessionChanges.h"

#include <QSet>

SessionChanges::SessionChanges(session::ConversionSession& session, QObject* parent)
    : QObject(parent), session_(session) {
    using S = session::ConversionSession;
    for (auto signal : {&S::itemsChanged, &S::runItemsChanged}) {
        connect(&session_, signal, this, [this] {
            follow();
            emit changed();
        });
    }
    for (auto signal : {&S::isConvertingChanged, &S::isExportingChanged}) {
        connect(&session_, signal, this, &SessionChanges::changed);
    }
    follow();
}

void SessionChanges::follow() {
    for (const auto& connection : itemConnections_) disconnect(connection);
    itemConnections_.clear();
    QSet<const session::DocumentItem*> seen;
    const auto watch = [&](const session::DocumentItemPtr& item) {
        if (seen.contains(item.get())) return;
        seen.insert(item.get());
        using I = session::DocumentItem;
        for (auto signal : {&I::stateChanged, &I::pageCountChanged, &I::resultChanged, &I::exportedChanged,
                            &I::runPagesChanged, &I::convertedLanguageChanged, &I::failedPagesRetriedChanged}) {
            itemConnections_.push_back(connect(item.get(), signal, this, &SessionChanges::changed));
        }
    };
    for (const auto& item : session_.items()) watch(item);
    for (const auto& item : session_.runItems()) watch(item);
}
