#include "gui/res/icon_art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace omniset::res {

namespace {

const QColor kCable(0x3a, 0x3f, 0x47);
const QColor kOutline(0x1a, 0x35, 0x56);
const QColor kJackRim(0x9d, 0xbb, 0xd9);

// The serial cable from the line jack up to a D-sub plug.
void paintCable(QPainter& p) {
    QPainterPath cable;
    cable.moveTo(47, 40);
    cable.cubicTo(47, 14, 30, 26, 24, 19);
    p.setPen(QPen(kCable, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(cable);

    QPainterPath plug;
    plug.moveTo(11, 5);
    plug.lineTo(33, 5);
    plug.lineTo(30, 17);
    plug.lineTo(14, 17);
    plug.closeSubpath();
    p.setPen(QPen(kOutline, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xc9, 0xd3, 0xdd));
    p.drawPath(plug);
    p.setPen(Qt::NoPen);
    p.setBrush(kOutline);
    for (int i = 0; i < 4; ++i)
        p.drawEllipse(QPointF(16 + 4 * i, 9.5), 1.1, 1.1);
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(18 + 4 * i, 13), 1.1, 1.1);
}

void paintBox(QPainter& p) {
    QLinearGradient top(0, 28, 0, 34);
    top.setColorAt(0, QColor(0x7f, 0xa7, 0xd0));
    top.setColorAt(1, QColor(0x4f, 0x7f, 0xb0));
    QPainterPath lid;
    lid.moveTo(10, 34);
    lid.lineTo(16, 28);
    lid.lineTo(48, 28);
    lid.lineTo(54, 34);
    lid.closeSubpath();
    p.setPen(QPen(kOutline, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(top);
    p.drawPath(lid);

    QLinearGradient front(0, 34, 0, 56);
    front.setColorAt(0, QColor(0x2c, 0x5a, 0x8a));
    front.setColorAt(1, QColor(0x1d, 0x3f, 0x66));
    p.setBrush(front);
    p.drawRoundedRect(QRectF(4, 34, 56, 22), 3, 3);
}

void paintPanel(QPainter& p) {
    p.setPen(Qt::NoPen);
    const QColor lamps[] {QColor(0x5c, 0xe0, 0x7a), QColor(0xff, 0xc2, 0x3d),
                          QColor(0x5c, 0xe0, 0x7a)};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(lamps[i]);
        p.drawEllipse(QPointF(13 + 9 * i, 45), 3, 3);
    }
    p.setPen(QPen(kJackRim, 1.2));
    p.setBrush(QColor(0x0f, 0x26, 0x40));
    p.drawRoundedRect(QRectF(40, 40, 14, 10), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kJackRim);
    p.drawRect(QRectF(44, 40, 6, 3));
}

} // namespace

void paintProgramIcon(QPainter& painter, int side) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(side / 64.0, side / 64.0);
    paintCable(painter);
    paintBox(painter);
    paintPanel(painter);
    painter.restore();
}

} // namespace omniset::res
