#pragma once
#include <QStyledItemDelegate>

class ctlDataGrid;

// Draws the grid's cells (check boxes, pictures, cell buttons) and makes their in-place editors: a text box,
// a drop-down list of the column's value list, a drop-down calendar. Edits end in the grid, which raises the
// events and writes the value; a value that is refused keeps its editor open.
class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit GridDelegate(ctlDataGrid* grid);

    // The part of a cell its button takes.
    static QRect ButtonRect(const QRect& cell);
    // The text an editor starts with for a value.
    static QString EditText(const QVariant& value);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

    // The value an editor holds, as it goes to the grid.
    static QVariant EditorValue(QWidget* editor);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    ctlDataGrid* m_grid;
};
