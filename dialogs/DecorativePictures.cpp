#include "DecorativePictures.h"

#include <QPainter>
#include <QPainterPath>

namespace dialogs {

namespace {

constexpr int Side = 40;

// Each picture is drawn smoothed on a transparent square.
template <typename Draw> QPixmap Drawn(Draw draw) {
    QPixmap picture(Side, Side);
    picture.fill(Qt::transparent);
    {
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
    }
    return picture;
}

} // namespace

QPixmap ArchiveBoxPicture() {
    return Drawn([](QPainter &p) {
        // The box: front, lid and a shadow line, in the warm colours of card stock.
        p.setPen(QPen(QColor(90, 60, 20), 1.5));
        p.setBrush(QColor(214, 168, 96));
        p.drawRect(QRectF(5, 14, 30, 21));
        p.setBrush(QColor(236, 196, 128));
        p.drawPolygon(QPolygonF({QPointF(5, 14), QPointF(11, 6), QPointF(35, 6), QPointF(35, 14)}));
        // The fastener runs down the middle of the front: teeth left and right.
        p.setPen(QPen(QColor(70, 70, 80), 1.2));
        for (int y = 16; y < 34; y += 3) {
            p.drawLine(QPointF(18, y), QPointF(20, y));
            p.drawLine(QPointF(20, y + 1.5), QPointF(22, y + 1.5));
        }
        p.setBrush(QColor(180, 180, 196));
        p.drawRoundedRect(QRectF(17, 24, 6, 8), 1.5, 1.5);
    });
}

QPixmap KeyPicture() {
    return Drawn([](QPainter &p) {
        p.setPen(QPen(QColor(110, 80, 0), 1.5));
        p.setBrush(QColor(232, 192, 48));
        // Bow with its hole, then the shaft and two bits.
        QPainterPath key;
        key.addEllipse(QRectF(3, 10, 16, 16));
        key.addRect(QRectF(17, 16, 19, 4));
        key.addRect(QRectF(28, 20, 3, 6));
        key.addRect(QRectF(33, 20, 3, 4));
        key = key.simplified();
        QPainterPath hole;
        hole.addEllipse(QRectF(7, 15, 6, 6));
        p.drawPath(key.subtracted(hole));
    });
}

} // namespace dialogs
