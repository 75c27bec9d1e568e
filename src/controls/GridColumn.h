#pragma once
#include <QList>
#include <QString>
#include <QVariant>

class ctlDataGrid;

// One entry of a column's value list: the value stored in the field, the text shown for it and a picture of
// the grid's image list (counted from 1; 0 for none).
struct GridValueListItem {
    QVariant value;
    QString text;
    int imageIndex = 0;
};

// A column of the data grid. Columns belong to their grid (ctlDataGrid::AddColumn makes them); every setter
// shows its effect at once. Index and Position count from 1: Index in the order the columns were added,
// Position from the left edge, hidden columns included.
class GridColumn
{
public:
    // How a cell shows its value.
    enum class Kind { Text, Icon, IconWithText, CheckBox };
    // How a cell is edited in place.
    enum class EditKind { TextBox, DropDownList, Calendar, CheckBox, None };
    // How an unbound grid compares the column's values when it sorts or groups; a bound grid leaves the
    // order to the database, which knows each field's type.
    enum class SortKind { Text, Number, Date };
    enum class SortOrder { None = 0, Ascending = 1, Descending = -1 };
    // What changed, for the grid's own bookkeeping.
    enum class Aspect { Caption, DataField, Visible, Width, Look, Editing };

    GridColumn(const GridColumn&) = delete;
    GridColumn& operator=(const GridColumn&) = delete;

    int Index() const;
    int Position() const;
    void SetPosition(int position);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption);
    // The field of the record source the column shows; empty for a column of its own (an icon column).
    QString DataField() const { return m_dataField; }
    void SetDataField(const QString& field);
    QString Key() const { return m_key; }
    void SetKey(const QString& key) { m_key = key; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    // Twips.
    int Width() const { return m_width; }
    void SetWidth(int twips);

    Kind ColumnKind() const { return m_kind; }
    void SetColumnKind(Kind kind);
    EditKind ColumnEditKind() const { return m_editKind; }
    void SetColumnEditKind(EditKind kind);
    // The values a drop-down list offers; also how values are shown (text and picture) in any kind.
    const QList<GridValueListItem>& ValueList() const { return m_valueList; }
    void SetValueList(const QList<GridValueListItem>& items);
    void AddValueListItem(const QVariant& value, const QString& text, int imageIndex = 0);
    void ClearValueList();
    // The value-list entry for a value, or null. Text values match without regard to case, numbers by value.
    const GridValueListItem* ValueListItem(const QVariant& value) const;

    // "Short Date", "Long Date", "General Date", "Currency", "Yes/No", "True/False", "On/Off", or empty.
    QString Format() const { return m_format; }
    void SetFormat(const QString& format);
    SortKind ColumnSortKind() const { return m_sortKind; }
    void SetColumnSortKind(SortKind kind) { m_sortKind = kind; }
    // Characters a text cell takes; 0 for no limit of the grid's own (the field's size still applies).
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int length) { m_maxLength = length; }
    // Given to a record added through the new-row line when the person typed nothing into this column.
    QVariant DefaultValue() const { return m_defaultValue; }
    void SetDefaultValue(const QVariant& value) { m_defaultValue = value; }
    // A small button at the cell's right edge; a click raises ctlDataGrid::CellButtonClicked.
    bool HasCellButton() const { return m_cellButton; }
    void SetCellButton(bool button);
    // Free text kept for the host.
    QString Tag() const { return m_tag; }
    void SetTag(const QString& tag) { m_tag = tag; }
    // A picture shown on every row of an icon column that has no value-list picture for the cell.
    int Image() const { return m_image; }
    void SetImage(int imageIndex);
    // The order the grid is sorted by this column: its place among the sort keys.
    SortOrder CurrentSortOrder() const;

    ctlDataGrid* Grid() const { return m_grid; }

private:
    friend class ctlDataGrid;
    explicit GridColumn(ctlDataGrid* grid) : m_grid(grid) {}
    void Changed(Aspect aspect);

    ctlDataGrid* m_grid;
    QString m_caption;
    QString m_dataField;
    QString m_key;
    bool m_visible = true;
    int m_width = 1440;
    Kind m_kind = Kind::Text;
    EditKind m_editKind = EditKind::TextBox;
    QList<GridValueListItem> m_valueList;
    QString m_format;
    SortKind m_sortKind = SortKind::Text;
    int m_maxLength = 0;
    QVariant m_defaultValue;
    bool m_cellButton = false;
    QString m_tag;
    int m_image = 0;
};
