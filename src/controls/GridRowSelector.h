#pragma once
#include <QHeaderView>

class GridTableView;

// The narrow strip left of the rows: an arrow on the current row, a pencil while its cell is edited and a
// star on the new-row line.
class GridRowSelector : public QHeaderView
{
    Q_OBJECT
public:
    explicit GridRowSelector(GridTableView* view);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sizeHint() const override;

private:
    GridTableView* m_view;
};
