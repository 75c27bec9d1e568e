#include "controls/GridTableView.h"

#include "controls/GridDelegate.h"
#include "controls/GridHeader.h"
#include "controls/GridModel.h"
#include "controls/GridRowSelector.h"
#include "controls/ctlDataGrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace
{
using RowKind = GridModel::RowKind;
constexpr int LevelIndent = 18;
} // namespace

GridTableView::GridTableView(ctlDataGrid* grid)
    : QTableView(grid), m_grid(grid), m_header(new GridHeader(grid, this)), m_clickEdit(this, [this](const QModelIndex& cell) {
          if (state() != EditingState)
              QTableView::edit(cell, AllEditTriggers, nullptr);
      })
{
    setHorizontalHeader(m_header);
    setVerticalHeader(new GridRowSelector(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setTabKeyNavigation(true);
    verticalHeader()->setMinimumSectionSize(12);
}

GridModel* GridTableView::gridModel() const
{
    return qobject_cast<GridModel*>(model());
}

bool GridTableView::IsEditingRow(int row) const
{
    return state() == QAbstractItemView::EditingState && currentIndex().row() == row;
}

QRect GridTableView::ExpanderRect(int row) const
{
    const int level = model()->index(row, 0).data(GridModel::GroupLevelRole).toInt();
    const int top = rowViewportPosition(row);
    return QRect(4 + level * LevelIndent - horizontalOffset(), top, 16, rowHeight(row));
}

void GridTableView::PaintGroupRow(QPainter& painter, int row, const QRect& band)
{
    const QModelIndex first = model()->index(row, 0);
    const bool selected = selectionModel() && selectionModel()->isRowSelected(row, QModelIndex());
    const int level = first.data(GridModel::GroupLevelRole).toInt();
    const bool expanded = first.data(GridModel::GroupExpandedRole).toBool();
    const QPalette& pal = palette();

    QColor top = pal.color(QPalette::Window).lighter(104);
    QColor bottom = pal.color(QPalette::Window).darker(104);
    QColor ink = pal.color(QPalette::WindowText);
    if (selected) {
        top = pal.color(QPalette::Highlight).lighter(115);
        bottom = pal.color(QPalette::Highlight);
        ink = pal.color(QPalette::HighlightedText);
    }
    QLinearGradient fill(band.topLeft(), band.bottomLeft());
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    painter.fillRect(band, fill);
    painter.setPen(pal.color(QPalette::Mid));
    painter.drawLine(band.bottomLeft(), band.bottomRight());

    // The sign: a triangle pointing right (collapsed) or down (expanded).
    const QRect sign = ExpanderRect(row);
    const QPointF c = QRectF(sign).center();
    QPolygonF triangle;
    if (expanded)
        triangle << QPointF(c.x() - 4, c.y() - 2) << QPointF(c.x() + 4, c.y() - 2) << QPointF(c.x(), c.y() + 3);
    else
        triangle << QPointF(c.x() - 2, c.y() - 4) << QPointF(c.x() + 3, c.y()) << QPointF(c.x() - 2, c.y() + 4);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawPolygon(triangle);
    painter.restore();

    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(ink);
    const QRect text(sign.right() + 4, band.top(), band.right() - sign.right() - 8, band.height());
    painter.drawText(
        text, Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetrics(bold).elidedText(first.data(GridModel::GroupTextRole).toString(), Qt::ElideRight, text.width()));
    (void)level;
}

void GridTableView::PaintNewRow(QPainter& painter, int row, const QRect& band)
{
    if (IsEditingRow(row))
        return;
    const bool current = currentIndex().row() == row;
    QColor fill = palette().color(QPalette::Base);
    if (current)
        fill = palette().color(QPalette::Highlight).lighter(185);
    painter.fillRect(band, fill);
    QPen dotted(palette().color(QPalette::Mid));
    dotted.setStyle(Qt::DotLine);
    painter.setPen(dotted);
    painter.drawLine(band.bottomLeft(), band.bottomRight());
    QFont italic = font();
    italic.setItalic(true);
    painter.setFont(italic);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const QString caption = m_grid->NewRowCaption().isEmpty()
                                ? tr("Click here to add a new row")
                                : tr("Click here to add a new %1").arg(m_grid->NewRowCaption());
    painter.drawText(band.adjusted(6 - horizontalOffset(), 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, caption);
}

void GridTableView::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    GridModel* grid = gridModel();
    if (!grid || grid->rowCount() == 0)
        return;
    QPainter painter(viewport());
    const int first = rowAt(0);
    int last = rowAt(viewport()->height() - 1);
    if (last < 0)
        last = grid->rowCount() - 1;
    const int right = std::max(viewport()->width(), horizontalHeader()->length() - horizontalOffset());
    for (int row = std::max(first, 0); row <= last; ++row) {
        if (isRowHidden(row))
            continue;
        const RowKind kind = grid->Ref(row).kind;
        if (kind != RowKind::Group && kind != RowKind::NewRow)
            continue;
        const QRect band(0, rowViewportPosition(row), right, rowHeight(row));
        if (kind == RowKind::Group)
            PaintGroupRow(painter, row, band);
        else
            PaintNewRow(painter, row, band);
    }
}

bool GridTableView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    m_clickEdit.Cancel();
    if (index.isValid() && gridModel() && gridModel()->Ref(index.row()).kind == RowKind::Group)
        return false;
    return QTableView::edit(index, trigger, event);
}

void GridTableView::keyPressEvent(QKeyEvent* event)
{
    bool handled = false;
    Q_EMIT m_grid->KeyDown(event->key(), event->modifiers(), &handled);
    if (handled)
        return;
    GridModel* grid = gridModel();
    const QModelIndex current = currentIndex();
    if (event->matches(QKeySequence::SelectAll)) {
        m_grid->SelectAll();
        return;
    }
    if (event->key() == Qt::Key_Delete && m_grid->AllowDelete() && state() != EditingState) {
        m_grid->DeleteSelected();
        return;
    }
    if (grid && current.isValid() && grid->Ref(current.row()).kind == RowKind::Group) {
        const GridModel::RowRef ref = grid->Ref(current.row());
        const bool expanded = current.data(GridModel::GroupExpandedRole).toBool();
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Minus:
            if (expanded)
                grid->SetExpanded(ref.node, false);
            return;
        case Qt::Key_Right:
        case Qt::Key_Plus:
            if (!expanded)
                grid->SetExpanded(ref.node, true);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            grid->SetExpanded(ref.node, !expanded);
            return;
        default:
            break;
        }
    }
    QTableView::keyPressEvent(event);
}

void GridTableView::keyReleaseEvent(QKeyEvent* event)
{
    QTableView::keyReleaseEvent(event);
    Q_EMIT m_grid->KeyUp(event->key(), event->modifiers());
}

void GridTableView::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    Q_EMIT m_grid->MouseDown(event->button(), event->modifiers(), pos);
    const QModelIndex index = indexAt(pos);
    m_clickEdit.Pressed(index, event);
    GridModel* grid = gridModel();
    if (index.isValid() && grid && event->button() == Qt::LeftButton) {
        const GridModel::RowRef ref = grid->Ref(index.row());
        const GridColumn* column = m_grid->Column(index.column() + 1);
        if (ref.kind == RowKind::Record && column && column->HasCellButton() && currentIndex().row() == index.row() &&
            GridDelegate::ButtonRect(visualRect(index)).contains(pos)) {
            if (state() == EditingState && !m_grid->CommitPendingEdit())
                return;
            setCurrentIndex(index);
            Q_EMIT m_grid->CellButtonClicked(index.column() + 1);
            return;
        }
        if (ref.kind == RowKind::Group && ExpanderRect(index.row()).contains(pos)) {
            QTableView::mousePressEvent(event);
            grid->SetExpanded(ref.node, !index.data(GridModel::GroupExpandedRole).toBool());
            return;
        }
    }
    QTableView::mousePressEvent(event);
}

void GridTableView::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    m_clickEdit.Released(index, state() == EditingState);
    Q_EMIT m_grid->MouseUp(event->button(), event->modifiers(), event->position().toPoint());
}

void GridTableView::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_clickEdit.Cancel();
    const QModelIndex index = indexAt(event->position().toPoint());
    GridModel* grid = gridModel();
    if (index.isValid() && grid && grid->Ref(index.row()).kind == RowKind::Group) {
        const GridModel::RowRef ref = grid->Ref(index.row());
        grid->SetExpanded(ref.node, !index.data(GridModel::GroupExpandedRole).toBool());
        return;
    }
    Q_EMIT m_grid->DoubleClicked();
    QTableView::mouseDoubleClickEvent(event);
}

void GridTableView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    verticalHeader()->viewport()->update();
    viewport()->update();
    m_grid->CurrentMoved(current, previous);
}

void GridTableView::commitData(QWidget* editor)
{
    m_grid->m_commitFailed = false;
    QTableView::commitData(editor);
}

void GridTableView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (m_grid->HoldRefusedEditor(this, editor, hint))
        return;
    const QModelIndex inserted = m_grid->TakeInsertedCell();
    if (inserted.isValid()) {
        // A record was just added through the new-row line: its row takes the place of the line.
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        m_grid->MoveAfterInsert(this, inserted, hint);
    } else {
        QTableView::closeEditor(editor, hint);
    }
    verticalHeader()->viewport()->update();
}
