#include "controls/GridImages.h"

#include <QPainter>
#include <QPainterPath>

namespace GridImages
{
namespace
{
QPixmap Blank()
{
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    return picture;
}

void Prepare(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing);
}

// Flag colours 1 to 8; 0 has none.
QColor FlagColor(int flag)
{
    static const QColor colors[] = {QColor(),
                                    QColor(214, 48, 49),
                                    QColor(230, 126, 34),
                                    QColor(241, 196, 15),
                                    QColor(39, 174, 96),
                                    QColor(41, 128, 185),
                                    QColor(142, 68, 173),
                                    QColor(127, 140, 141),
                                    QColor(44, 62, 80)};
    return flag >= 1 && flag <= 8 ? colors[flag] : QColor();
}

QPixmap Mark(const QColor& color)
{
    QPixmap picture = Blank();
    QPainter painter(&picture);
    Prepare(painter);
    painter.setPen(color.darker(140));
    painter.setBrush(color);
    painter.drawEllipse(QRectF(3.5, 3.5, 9, 9));
    return picture;
}
} // namespace

QPixmap Flag(int flag)
{
    QPixmap picture = Blank();
    QPainter painter(&picture);
    Prepare(painter);
    const QColor color = FlagColor(flag);
    painter.setPen(QPen(QColor(90, 90, 90), 1.2));
    painter.drawLine(QPointF(3.5, 2), QPointF(3.5, 14.5));
    QPainterPath cloth;
    cloth.moveTo(4, 2.5);
    cloth.cubicTo(7, 1, 9, 4.5, 13.5, 3);
    cloth.lineTo(13.5, 9);
    cloth.cubicTo(9, 10.5, 7, 7, 4, 8.5);
    cloth.closeSubpath();
    if (color.isValid()) {
        painter.setPen(QPen(color.darker(135), 0.8));
        painter.setBrush(color);
    } else {
        painter.setPen(QPen(QColor(160, 160, 160), 0.8, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
    }
    painter.drawPath(cloth);
    return picture;
}

QPixmap Record()
{
    QPixmap picture = Blank();
    QPainter painter(&picture);
    Prepare(painter);
    QPainterPath page;
    page.moveTo(3.5, 1.5);
    page.lineTo(10, 1.5);
    page.lineTo(12.5, 4);
    page.lineTo(12.5, 14.5);
    page.lineTo(3.5, 14.5);
    page.closeSubpath();
    painter.setPen(QColor(100, 110, 125));
    painter.setBrush(Qt::white);
    painter.drawPath(page);
    painter.setPen(QColor(150, 165, 185));
    for (int y = 5; y <= 12; y += 2)
        painter.drawLine(QPointF(5.5, y + 0.5), QPointF(10.5, y + 0.5));
    return picture;
}

namespace
{
QPixmap Folder()
{
    QPixmap picture = Blank();
    QPainter painter(&picture);
    Prepare(painter);
    painter.setPen(QColor(176, 132, 40));
    painter.setBrush(QColor(247, 205, 96));
    painter.drawRoundedRect(QRectF(1.5, 4.5, 13, 9), 1, 1);
    painter.drawRoundedRect(QRectF(1.5, 3, 5.5, 3), 1, 1);
    return picture;
}

QPixmap Person()
{
    QPixmap picture = Blank();
    QPainter painter(&picture);
    Prepare(painter);
    painter.setPen(QColor(60, 90, 140));
    painter.setBrush(QColor(110, 150, 210));
    painter.drawEllipse(QRectF(5, 1.5, 6, 6));
    painter.drawRoundedRect(QRectF(2.5, 8.5, 11, 6.5), 3, 3);
    return picture;
}

QPixmap Tick()
{
    QPixmap picture = Blank();
    QPainter painter(&picture);
    Prepare(painter);
    painter.setPen(QPen(QColor(39, 150, 80), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
    return picture;
}

QPixmap Star()
{
    QPixmap picture = Blank();
    QPainter painter(&picture);
    Prepare(painter);
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 ? 3.0 : 7.0;
        const double angle = -M_PI / 2 + i * M_PI / 5;
        star << QPointF(8 + radius * std::cos(angle), 8.5 + radius * std::sin(angle));
    }
    painter.setPen(QColor(196, 140, 0));
    painter.setBrush(QColor(255, 204, 51));
    painter.drawPolygon(star);
    return picture;
}

QPixmap Link()
{
    QPixmap picture = Blank();
    QPainter painter(&picture);
    Prepare(painter);
    painter.setPen(QPen(QColor(80, 100, 130), 1.6));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(1.5, 5.5, 8, 5), 2.5, 2.5);
    painter.drawRoundedRect(QRectF(6.5, 5.5, 8, 5), 2.5, 2.5);
    return picture;
}

QPixmap Note()
{
    QPixmap picture = Blank();
    QPainter painter(&picture);
    Prepare(painter);
    painter.setPen(QColor(180, 160, 60));
    painter.setBrush(QColor(255, 242, 160));
    painter.drawRect(QRectF(2.5, 2.5, 11, 11));
    painter.setPen(QColor(160, 140, 60));
    for (int y = 5; y <= 11; y += 3)
        painter.drawLine(QPointF(4.5, y + 0.5), QPointF(11.5, y + 0.5));
    return picture;
}
} // namespace

QList<QPixmap> Standard()
{
    QList<QPixmap> pictures{Record(), Folder(), Person()};
    for (int flag = 0; flag <= 8; ++flag)
        pictures << Flag(flag);
    pictures << Tick() << Star() << Link() << Note();
    for (const QColor& color : {QColor(214, 48, 49), QColor(39, 174, 96), QColor(41, 128, 185), QColor(241, 196, 15)})
        pictures << Mark(color);
    return pictures;
}

} // namespace GridImages
