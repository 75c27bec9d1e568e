#include "controls/GridRowSelector.h"

#include "controls/GridModel.h"
#include "controls/GridTableView.h"

#include <QPainter>
#include <QPainterPath>

GridRowSelector::GridRowSelector(GridTableView* view) : QHeaderView(Qt::Vertical, view), m_view(view)
{
    setSectionResizeMode(QHeaderView::Fixed);
    setSectionsClickable(true);
    setHighlightSections(false);
}

QSize GridRowSelector::sizeHint() const
{
    return QSize(16, QHeaderView::sizeHint().height());
}

void GridRowSelector::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    const QColor face = palette().color(QPalette::Button);
    painter->fillRect(rect, face);
    painter->setPen(face.darker(125));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());

    const auto kind = GridModel::RowKind(m_view->model()->index(logicalIndex, 0).data(GridModel::RowKindRole).toInt());
    const bool current = m_view->currentIndex().isValid() && m_view->currentIndex().row() == logicalIndex;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QPointF c = QRectF(rect).center();
    const QColor ink = palette().color(QPalette::ButtonText);
    if (current && m_view->IsEditingRow(logicalIndex)) {
        // A pencil: the row holds an open edit.
        painter->setPen(QPen(ink, 1.2));
        painter->drawLine(QPointF(c.x() - 4, c.y() + 4), QPointF(c.x() + 3, c.y() - 3));
        painter->drawLine(QPointF(c.x() - 2, c.y() + 5), QPointF(c.x() + 5, c.y() - 2));
        painter->drawLine(QPointF(c.x() - 4, c.y() + 4), QPointF(c.x() - 5, c.y() + 6));
    } else if (current) {
        QPainterPath arrow;
        arrow.moveTo(c.x() - 2.5, c.y() - 4.5);
        arrow.lineTo(c.x() + 3, c.y());
        arrow.lineTo(c.x() - 2.5, c.y() + 4.5);
        arrow.closeSubpath();
        painter->fillPath(arrow, ink);
    } else if (kind == GridModel::RowKind::NewRow) {
        painter->setPen(QPen(ink, 1.3));
        for (int i = 0; i < 3; ++i) {
            painter->save();
            painter->translate(c);
            painter->rotate(60.0 * i);
            painter->drawLine(QPointF(0, -3.5), QPointF(0, 3.5));
            painter->restore();
        }
    }
    painter->restore();
}
