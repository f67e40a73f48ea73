#include "SymbolIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace SymbolIcons {

namespace {

void viewfinderCorners(QPainter& p) {
    const double a = 1.5, b = 14.5, l = 3.5;
    QPainterPath path;
    path.moveTo(a, a + l); path.lineTo(a, a); path.lineTo(a + l, a);
    path.moveTo(b - l, a); path.lineTo(b, a); path.lineTo(b, a + l);
    path.moveTo(b, b - l); path.lineTo(b, b); path.lineTo(b - l, b);
    path.moveTo(a + l, b); path.lineTo(a, b); path.lineTo(a, b - l);
    p.drawPath(path);
}

void draw(QPainter& p, Symbol symbol, const QColor& color, const QColor& inner) {
    QPen pen(color, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (symbol) {
    case Symbol::document: {
        QPainterPath page;
        page.moveTo(3.5, 1.5); page.lineTo(9.5, 1.5); page.lineTo(12.5, 4.5);
        page.lineTo(12.5, 14.5); page.lineTo(3.5, 14.5); page.closeSubpath();
        p.drawPath(page);
        p.drawPolyline(QPolygonF({{9.5, 1.5}, {9.5, 4.5}, {12.5, 4.5}}));
        for (double y : {7.5, 9.5, 11.5}) p.drawLine(QPointF(5.5, y), QPointF(10.5, y));
        break;
    }
    case Symbol::photo:
        p.drawRoundedRect(QRectF(1.5, 2.5, 13, 11), 1.5, 1.5);
        p.drawPolyline(QPolygonF({{1.5, 12}, {6, 7.5}, {9, 10.5}, {11, 8.5}, {14.5, 12}}));
        p.drawEllipse(QPointF(10.5, 5.5), 1.2, 1.2);
        break;
    case Symbol::warning: {
        QPainterPath triangle;
        triangle.moveTo(8, 1.2); triangle.lineTo(15.2, 14.2); triangle.lineTo(0.8, 14.2); triangle.closeSubpath();
        p.setPen(QPen(color, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(color);
        p.drawPath(triangle);
        p.setPen(QPen(inner, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 5.5), QPointF(8, 9.5));
        p.drawPoint(QPointF(8, 12));
        break;
    }
    case Symbol::checkmark:
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(QPen(inner, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({{4.8, 8.3}, {7, 10.5}, {11.2, 5.6}}));
        break;
    case Symbol::tray:
        p.drawPolyline(QPolygonF({{1.5, 9}, {3.5, 3}, {12.5, 3}, {14.5, 9}}));
        p.drawPolyline(QPolygonF({{1.5, 9}, {5.5, 9}, {6.5, 10.5}, {9.5, 10.5}, {10.5, 9}, {14.5, 9},
                                  {14.5, 13.5}, {1.5, 13.5}, {1.5, 9}}));
        break;
    case Symbol::plus:
        p.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 2.5), QPointF(8, 13.5));
        p.drawLine(QPointF(2.5, 8), QPointF(13.5, 8));
        break;
    case Symbol::play: {
        QPainterPath triangle;
        triangle.moveTo(4, 2.5); triangle.lineTo(13.5, 8); triangle.lineTo(4, 13.5); triangle.closeSubpath();
        p.setBrush(color);
        p.drawPath(triangle);
        break;
    }
    case Symbol::stop:
        p.setBrush(color);
        p.drawRoundedRect(QRectF(3, 3, 10, 10), 1.5, 1.5);
        break;
    case Symbol::share:
        p.drawPolyline(QPolygonF({{5.5, 6}, {3, 6}, {3, 14.5}, {13, 14.5}, {13, 6}, {10.5, 6}}));
        p.drawLine(QPointF(8, 1.5), QPointF(8, 10));
        p.drawPolyline(QPolygonF({{5.3, 4.2}, {8, 1.5}, {10.7, 4.2}}));
        break;
    case Symbol::scanText:
        viewfinderCorners(p);
        for (double y : {5.5, 8.0, 10.5}) p.drawLine(QPointF(4.5, y), QPointF(y == 10.5 ? 9 : 11.5, y));
        break;
    case Symbol::scanDocument: {
        viewfinderCorners(p);
        QPainterPath page;
        page.moveTo(5, 4); page.lineTo(9.3, 4); page.lineTo(11, 5.7); page.lineTo(11, 12); page.lineTo(5, 12);
        page.closeSubpath();
        p.setPen(QPen(color, 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(page);
        for (double y : {7.0, 8.6, 10.2}) p.drawLine(QPointF(6.3, y), QPointF(9.7, y));
        break;
    }
    }
}

}  // namespace

QPixmap pixmap(Symbol symbol, int size, const QColor& color, double devicePixelRatio, const QColor& inner) {
    QPixmap result(QSize(size, size) * devicePixelRatio);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    QPainter p(&result);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p, symbol, color, inner);
    return result;
}

QIcon icon(Symbol symbol, const QColor& color) {
    QIcon result;
    QColor disabled = color;
    disabled.setAlphaF(0.35f);
    for (int size : {16, 20, 24, 32}) {
        result.addPixmap(pixmap(symbol, size, color), QIcon::Normal);
        result.addPixmap(pixmap(symbol, size, disabled), QIcon::Disabled);
    }
    return result;
}

}  // namespace SymbolIcons
