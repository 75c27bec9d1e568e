#include "controls/GridHeader.h"

#include "controls/ctlDataGrid.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

GridHeader::GridHeader(ctlDataGrid* grid, QWidget* parent) : QHeaderView(Qt::Horizontal, parent), m_grid(grid)
{
    setSectionsClickable(true);
    setSectionsMovable(false); // moves are the header's own, so that the grid can refuse them
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextElideMode(Qt::ElideRight);
    setMinimumSectionSize(8);
}

QSize GridHeader::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    if (minimumHeight() > 0)
        size.setHeight(minimumHeight());
    return size;
}

bool GridHeader::OnHandle(int x) const
{
    // Near a section's edge the press resizes.
    const int grip = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
    const int logical = logicalIndexAt(x);
    if (logical < 0)
        return false;
    const int left = sectionViewportPosition(logical);
    const int right = left + sectionSize(logical);
    return x - left <= grip || right - x <= grip;
}

int GridHeader::DropPosition(int x) const
{
    int visual = visualIndexAt(x);
    if (visual < 0)
        return x < 0 ? 0 : count() - 1;
    const int logical = logicalIndex(visual);
    const int middle = sectionViewportPosition(logical) + sectionSize(logical) / 2;
    const int from = visualIndex(m_pressed);
    if (visual > from && x < middle)
        --visual;
    else if (visual < from && x >= middle)
        ++visual;
    return visual;
}

void GridHeader::mousePressEvent(QMouseEvent* event)
{
    m_pressed = -1;
    m_dragging = false;
    m_refused = false;
    const int x = event->position().toPoint().x();
    if (event->button() == Qt::LeftButton && !OnHandle(x)) {
        m_pressed = logicalIndexAt(x);
        m_pressPos = event->position().toPoint();
    }
    QHeaderView::mousePressEvent(event);
}

void GridHeader::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressed >= 0 && (event->buttons() & Qt::LeftButton)) {
        if (!m_dragging && !m_refused &&
            (event->position().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
            if (m_grid->AskBeforeDrag(m_pressed))
                m_dragging = true;
            else
                m_refused = true;
        }
        if (m_dragging) {
            m_dropAt = DropPosition(event->position().toPoint().x());
            viewport()->update();
        }
        if (m_dragging || m_refused)
            return;
    }
    QHeaderView::mouseMoveEvent(event);
}

void GridHeader::mouseReleaseEvent(QMouseEvent* event)
{
    const bool dragged = m_dragging;
    const bool refused = m_refused;
    const int pressed = m_pressed;
    m_dragging = false;
    m_refused = false;
    m_pressed = -1;
    m_dropAt = -1;
    // The base view ends its own press state; a drag is no click.
    m_suppressClick = dragged || refused;
    QHeaderView::mouseReleaseEvent(event);
    m_suppressClick = false;
    viewport()->update();
    if (dragged && pressed >= 0) {
        m_pressed = pressed;
        const int to = DropPosition(event->position().toPoint().x());
        m_pressed = -1;
        const int from = visualIndex(pressed);
        if (to >= 0 && to != from)
            m_grid->SectionMovedByUser(pressed, from, to);
    }
}

void GridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    const GridColumn* column = m_grid->Column(logicalIndex + 1);
    const GridColumn::SortOrder order = column ? column->CurrentSortOrder() : GridColumn::SortOrder::None;
    if (order == GridColumn::SortOrder::None) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    // The sort arrow sits at the right end, the caption keeps the rest.
    const int arrow = 14;
    painter->save();
    painter->setClipRect(rect);
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    if (rect.width() < 2 * arrow)
        return;
    const QRect box(rect.right() - arrow, rect.top(), arrow - 4, rect.height());
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette().color(QPalette::Text).lighter(160));
    const QPointF c = box.center();
    QPolygonF triangle;
    if (order == GridColumn::SortOrder::Ascending)
        triangle << QPointF(c.x() - 4, c.y() + 2) << QPointF(c.x() + 4, c.y() + 2) << QPointF(c.x(), c.y() - 3);
    else
        triangle << QPointF(c.x() - 4, c.y() - 2) << QPointF(c.x() + 4, c.y() - 2) << QPointF(c.x(), c.y() + 3);
    painter->drawPolygon(triangle);
    painter->restore();
}

void GridHeader::paintEvent(QPaintEvent* event)
{
    QHeaderView::paintEvent(event);
    if (m_dropAt < 0 || m_pressed < 0)
        return;
    // Where the column would go: a bar on the edge it would take.
    const int target = logicalIndex(m_dropAt);
    const int from = visualIndex(m_pressed);
    int x = sectionViewportPosition(target);
    if (m_dropAt > from)
        x += sectionSize(target);
    QPainter painter(viewport());
    painter.fillRect(QRect(x - 1, 0, 3, height()), palette().color(QPalette::Highlight));
}
