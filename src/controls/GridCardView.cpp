#include "controls/GridCardView.h"

#include "controls/GridModel.h"
#include "controls/GridTwips.h"
#include "controls/ctlDataGrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

GridCardView::GridCardView(ctlDataGrid* grid)
    : QAbstractItemView(grid), m_grid(grid), m_clickEdit(this, [this](const QModelIndex& cell) {
          if (state() != EditingState)
              QAbstractItemView::edit(cell, AllEditTriggers, nullptr);
      })
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setAutoScroll(true);
}

void GridCardView::Measure()
{
    m_visible.clear();
    for (int position = 1; position <= m_grid->ColumnCount(); ++position)
        if (const GridColumn* column = m_grid->ColumnAtPosition(position))
            if (column->Visible() && !column->Caption().isEmpty()) // a line needs its caption
                m_visible << column->Index() - 1;
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics plain(font());
    const QFontMetrics strong(bold);
    Metrics& m = m_metrics;
    m.lineHeight = std::max(plain.height(), 16) + 8;
    m.captionHeight = m_grid->CardCaptionColumn() > 0 ? strong.height() + 12 : 6;
    int labels = 0;
    for (const int column : m_visible)
        labels = std::max(labels, strong.horizontalAdvance(m_grid->Column(column + 1)->Caption()) + 18);
    const int available = std::max(120, viewport()->width() - 2 * Margin);
    m.cardWidth = std::clamp(GridTwips::ToPixelsX(m_grid->CardWidth(), this), 120, available);
    m.labelWidth = std::min(labels, m.cardWidth * 45 / 100);
    m.cardHeight = m.captionHeight + int(m_visible.size()) * m.lineHeight + 1;
    m.perLine = std::max(1, (viewport()->width() - Margin) / (m.cardWidth + Margin));
}

void GridCardView::Relayout()
{
    Measure();
    updateGeometries();
    viewport()->update();
}

int GridCardView::Line(int column) const
{
    return int(m_visible.indexOf(column));
}

QPoint GridCardView::CardOrigin(int row) const
{
    const Metrics& m = m_metrics;
    return QPoint(Margin + (row % m.perLine) * (m.cardWidth + Margin),
                  Margin + (row / m.perLine) * (m.cardHeight + Margin));
}

QRect GridCardView::CardRect(int row) const
{
    return QRect(CardOrigin(row) - QPoint(horizontalOffset(), verticalOffset()),
                 QSize(m_metrics.cardWidth, m_metrics.cardHeight));
}

QRect GridCardView::CaptionRect(int row) const
{
    const QRect card = CardRect(row);
    return QRect(card.left(), card.top(), card.width(), m_metrics.captionHeight);
}

QRect GridCardView::visualRect(const QModelIndex& index) const
{
    if (!index.isValid())
        return QRect();
    const int line = Line(index.column());
    if (line < 0)
        return QRect();
    const QRect card = CardRect(index.row());
    const Metrics& m = m_metrics;
    return QRect(card.left() + m.labelWidth, card.top() + m.captionHeight + line * m.lineHeight,
                 m.cardWidth - m.labelWidth - 1, m.lineHeight);
}

QModelIndex GridCardView::indexAt(const QPoint& point) const
{
    if (!model() || m_visible.isEmpty())
        return QModelIndex();
    const Metrics& m = m_metrics;
    const QPoint p = point + QPoint(horizontalOffset(), verticalOffset());
    const int line = (p.y() - Margin) / (m.cardHeight + Margin);
    const int place = (p.x() - Margin) / (m.cardWidth + Margin);
    if (p.x() < Margin || p.y() < Margin || place >= m.perLine)
        return QModelIndex();
    const int row = line * m.perLine + place;
    if (row >= model()->rowCount())
        return QModelIndex();
    const QPoint origin = CardOrigin(row);
    const QPoint inside = p - origin;
    if (inside.x() >= m.cardWidth || inside.y() >= m.cardHeight)
        return QModelIndex();
    const int field = inside.y() < m.captionHeight ? 0 : (inside.y() - m.captionHeight) / m.lineHeight;
    if (field >= m_visible.size())
        return QModelIndex();
    return model()->index(row, m_visible[field]);
}

void GridCardView::scrollTo(const QModelIndex& index, ScrollHint)
{
    if (!index.isValid())
        return;
    const QRect card = CardRect(index.row());
    const QRect area = viewport()->rect();
    if (card.top() < area.top())
        verticalScrollBar()->setValue(verticalScrollBar()->value() + card.top() - Margin);
    else if (card.bottom() > area.bottom())
        verticalScrollBar()->setValue(verticalScrollBar()->value() +
                                      std::min(card.bottom() - area.bottom() + Margin, card.top() - Margin));
    if (card.left() < area.left())
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + card.left() - Margin);
    else if (card.right() > area.right())
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + card.right() - area.right() + Margin);
}

QModelIndex GridCardView::moveCursor(CursorAction action, Qt::KeyboardModifiers)
{
    if (!model() || model()->rowCount() == 0 || m_visible.isEmpty())
        return QModelIndex();
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return model()->index(0, m_visible.first());
    const int rows = model()->rowCount();
    const int lines = int(m_visible.size());
    int row = current.row();
    int line = std::max(0, Line(current.column()));
    switch (action) {
    case MoveNext:
    case MoveDown:
        if (line + 1 < lines)
            ++line;
        else if (row + 1 < rows) {
            ++row;
            line = 0;
        }
        break;
    case MovePrevious:
    case MoveUp:
        if (line > 0)
            --line;
        else if (row > 0) {
            --row;
            line = lines - 1;
        }
        break;
    case MoveRight:
        row = std::min(row + 1, rows - 1);
        break;
    case MoveLeft:
        row = std::max(row - 1, 0);
        break;
    case MovePageDown:
        row = std::min(row + m_metrics.perLine, rows - 1);
        break;
    case MovePageUp:
        row = std::max(row - m_metrics.perLine, 0);
        break;
    case MoveHome:
        row = 0;
        line = 0;
        break;
    case MoveEnd:
        row = rows - 1;
        line = lines - 1;
        break;
    }
    return model()->index(row, m_visible[line]);
}

int GridCardView::horizontalOffset() const
{
    return horizontalScrollBar()->value();
}

int GridCardView::verticalOffset() const
{
    return verticalScrollBar()->value();
}

bool GridCardView::isIndexHidden(const QModelIndex& index) const
{
    return Line(index.column()) < 0;
}

void GridCardView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags)
{
    if (!model() || !selectionModel())
        return;
    QItemSelection selection;
    const QRect area = rect.normalized();
    const int columns = model()->columnCount();
    for (int row = 0; row < model()->rowCount(); ++row) {
        const QRect card = CardRect(row);
        if (card.top() > area.bottom())
            break;
        if (card.intersects(area))
            selection.select(model()->index(row, 0), model()->index(row, columns - 1));
    }
    selectionModel()->select(selection, flags);
}

QRegion GridCardView::visualRegionForSelection(const QItemSelection& selection) const
{
    QRegion region;
    for (const QItemSelectionRange& range : selection)
        for (int row = range.top(); row <= range.bottom(); ++row)
            region += CardRect(row);
    return region;
}

void GridCardView::updateGeometries()
{
    Measure();
    const Metrics& m = m_metrics;
    const int rows = model() ? model()->rowCount() : 0;
    const int lines = (rows + m.perLine - 1) / m.perLine;
    const int height = Margin + lines * (m.cardHeight + Margin);
    const int width = Margin + std::min(rows, m.perLine) * (m.cardWidth + Margin);
    verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(m.lineHeight);
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(20);
    QAbstractItemView::updateGeometries();
}

void GridCardView::resizeEvent(QResizeEvent* event)
{
    QAbstractItemView::resizeEvent(event);
    updateGeometries();
}

void GridCardView::rowsInserted(const QModelIndex& parent, int start, int end)
{
    QAbstractItemView::rowsInserted(parent, start, end);
    updateGeometries();
}

void GridCardView::reset()
{
    QAbstractItemView::reset();
    updateGeometries();
}

void GridCardView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QPalette& pal = palette();
    painter.fillRect(viewport()->rect(), pal.color(QPalette::Window));
    if (!model() || m_visible.isEmpty())
        return;
    const Metrics& m = m_metrics;
    QFont bold = font();
    bold.setBold(true);
    const int rows = model()->rowCount();
    const int firstLine = std::max(0, (verticalOffset() - Margin) / (m.cardHeight + Margin));
    const int lastLine = (verticalOffset() + viewport()->height()) / (m.cardHeight + Margin);
    for (int row = firstLine * m.perLine; row < std::min(rows, (lastLine + 1) * m.perLine); ++row) {
        const QRect card = CardRect(row);
        const bool selected = selectionModel() && selectionModel()->isRowSelected(row, QModelIndex());
        // The card with a soft shadow.
        painter.fillRect(card.translated(2, 2), QColor(0, 0, 0, 28));
        painter.fillRect(card, pal.color(QPalette::Base));
        painter.setPen(pal.color(QPalette::Mid));
        painter.drawRect(card.adjusted(0, 0, -1, -1));
        // The caption band.
        const QRect caption = CaptionRect(row).adjusted(1, 1, -1, 0);
        QLinearGradient band(caption.topLeft(), caption.bottomLeft());
        const QColor tone = selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Button);
        band.setColorAt(0, tone.lighter(112));
        band.setColorAt(1, tone);
        painter.fillRect(caption, band);
        if (m_grid->CardCaptionColumn() > 0) {
            painter.setFont(bold);
            painter.setPen(selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::ButtonText));
            const QString title = model()->index(row, m_grid->CardCaptionColumn() - 1).data(Qt::DisplayRole).toString();
            painter.drawText(caption.adjusted(8, 0, -8, 0), Qt::AlignLeft | Qt::AlignVCenter,
                             QFontMetrics(bold).elidedText(title, Qt::ElideRight, caption.width() - 16));
        }
        for (int line = 0; line < m_visible.size(); ++line) {
            const int column = m_visible[line];
            const QModelIndex index = model()->index(row, column);
            const int top = card.top() + m.captionHeight + line * m.lineHeight;
            const QRect label(card.left() + 1, top, m.labelWidth - 1, m.lineHeight);
            painter.fillRect(label, pal.color(QPalette::AlternateBase));
            painter.setFont(bold);
            painter.setPen(pal.color(QPalette::Text));
            painter.drawText(label.adjusted(8, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter,
                             QFontMetrics(bold).elidedText(m_grid->Column(column + 1)->Caption(), Qt::ElideRight,
                                                           label.width() - 12));
            painter.setPen(pal.color(QPalette::Midlight));
            painter.drawLine(card.left() + 1, top + m.lineHeight - 1, card.right() - 1, top + m.lineHeight - 1);
            painter.drawLine(label.right(), top, label.right(), top + m.lineHeight - 1);
            if (indexWidget(index))
                continue;
            QStyleOptionViewItem option;
            initViewItemOption(&option);
            option.rect = visualRect(index).adjusted(4, 0, 0, -1);
            option.state &= ~QStyle::State_Selected;
            if (index == currentIndex()) {
                painter.fillRect(visualRect(index).adjusted(0, 0, 0, -1), pal.color(QPalette::Highlight).lighter(180));
                option.state |= QStyle::State_HasFocus;
            }
            option.font = font();
            itemDelegateForIndex(index)->paint(&painter, option, index);
        }
    }
}

void GridCardView::keyPressEvent(QKeyEvent* event)
{
    bool handled = false;
    Q_EMIT m_grid->KeyDown(event->key(), event->modifiers(), &handled);
    if (handled)
        return;
    if (event->matches(QKeySequence::SelectAll)) {
        m_grid->SelectAll();
        return;
    }
    QAbstractItemView::keyPressEvent(event);
}

void GridCardView::keyReleaseEvent(QKeyEvent* event)
{
    QAbstractItemView::keyReleaseEvent(event);
    Q_EMIT m_grid->KeyUp(event->key(), event->modifiers());
}

bool GridCardView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    m_clickEdit.Cancel();
    return QAbstractItemView::edit(index, trigger, event);
}

void GridCardView::mousePressEvent(QMouseEvent* event)
{
    Q_EMIT m_grid->MouseDown(event->button(), event->modifiers(), event->position().toPoint());
    const QModelIndex index = indexAt(event->position().toPoint());
    m_clickEdit.Pressed(index, event);
    QAbstractItemView::mousePressEvent(event);
}

void GridCardView::mouseReleaseEvent(QMouseEvent* event)
{
    QAbstractItemView::mouseReleaseEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    m_clickEdit.Released(index, state() == EditingState);
    Q_EMIT m_grid->MouseUp(event->button(), event->modifiers(), event->position().toPoint());
}

void GridCardView::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_clickEdit.Cancel();
    Q_EMIT m_grid->DoubleClicked();
    QAbstractItemView::mouseDoubleClickEvent(event);
}

void GridCardView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QAbstractItemView::currentChanged(current, previous);
    viewport()->update();
    m_grid->CurrentMoved(current, previous);
}

void GridCardView::commitData(QWidget* editor)
{
    m_grid->m_commitFailed = false;
    QAbstractItemView::commitData(editor);
}

void GridCardView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (m_grid->HoldRefusedEditor(this, editor, hint))
        return;
    QAbstractItemView::closeEditor(editor, hint);
}
