// One signal for "something the window's controls read has changed": the session's list,
// run, conversion and export flags, and the state, page count, result or exported flag
// of any listed or running document. Views that show counts or enable buttons from the
// whole list listen here instead of wiring up every item themselves. It follows the list
// as it changes. Main thread only; its state is the items it is connected to.
#pragma once

#include <QObject>

#include <vector>

#include "session/ConversionSession.h"

class SessionChanges : public QObject {
    Q_OBJECT
public:
    explicit SessionChanges(session::ConversionSession& session, QObject* parent = nullptr);

signals:
    void changed();

private:
    void follow();

    session::ConversionSession& session_;
    std::vector<QMetaObject::Connection> itemConnections_;
};
