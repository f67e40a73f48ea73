// Helpers for driving the views' widgets on the offscreen platform: pointer events
// sent straight to a widget, and labels found by their text.
#pragma once

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QWidget>

namespace viewsfixtures {

inline void sendMouse(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButtons buttons = Qt::NoButton,
                      Qt::MouseButton button = Qt::NoButton) {
    QMouseEvent event(type, pos, w->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

inline void moveTo(QWidget* w, QPointF pos) { sendMouse(w, QEvent::MouseMove, pos); }

inline void click(QWidget* w, QPointF pos) {
    sendMouse(w, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
    sendMouse(w, QEvent::MouseButtonRelease, pos, Qt::NoButton, Qt::LeftButton);
}

inline QStringList labelTexts(const QWidget* root) {
    QStringList texts;
    for (const QLabel* label : root->findChildren<QLabel*>())
        if (!label->text().isEmpty()) texts << label->text();
    return texts;
}

}  // namespace viewsfixtures
