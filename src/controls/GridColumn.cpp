#include "controls/GridColumn.h"

#include "controls/ctlDataGrid.h"

namespace
{
bool SameValue(const QVariant& a, const QVariant& b)
{
    const bool nullA = !a.isValid() || a.isNull();
    const bool nullB = !b.isValid() || b.isNull();
    if (nullA || nullB)
        return nullA == nullB;
    if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString) {
        bool okA = false;
        bool okB = false;
        const double x = a.toDouble(&okA);
        const double y = b.toDouble(&okB);
        if (okA && okB && a.typeId() != b.typeId())
            return x == y; // "3" in a value list matches the number 3
        return a.toString().compare(b.toString(), Qt::CaseInsensitive) == 0;
    }
    if (a.typeId() == QMetaType::Bool || b.typeId() == QMetaType::Bool)
        return (a.toDouble() != 0.0) == (b.toDouble() != 0.0);
    bool okA = false;
    bool okB = false;
    const double x = a.toDouble(&okA);
    const double y = b.toDouble(&okB);
    if (okA && okB)
        return x == y;
    return a == b;
}
} // namespace

int GridColumn::Index() const
{
    return m_grid->ColumnIndexOf(this);
}

int GridColumn::Position() const
{
    return m_grid->ColumnPositionOf(this);
}

void GridColumn::SetPosition(int position)
{
    m_grid->MoveColumnTo(this, position);
}

void GridColumn::Changed(Aspect aspect)
{
    m_grid->ColumnChanged(this, aspect);
}

void GridColumn::SetCaption(const QString& caption)
{
    m_caption = caption;
    Changed(Aspect::Caption);
}

void GridColumn::SetDataField(const QString& field)
{
    m_dataField = field;
    Changed(Aspect::DataField);
}

void GridColumn::SetVisible(bool visible)
{
    m_visible = visible;
    Changed(Aspect::Visible);
}

void GridColumn::SetWidth(int twips)
{
    m_width = std::max(0, twips);
    Changed(Aspect::Width);
}

void GridColumn::SetColumnKind(Kind kind)
{
    m_kind = kind;
    Changed(Aspect::Look);
}

void GridColumn::SetColumnEditKind(EditKind kind)
{
    m_editKind = kind;
    Changed(Aspect::Editing);
}

void GridColumn::SetValueList(const QList<GridValueListItem>& items)
{
    m_valueList = items;
    Changed(Aspect::Look);
}

void GridColumn::AddValueListItem(const QVariant& value, const QString& text, int imageIndex)
{
    m_valueList.append({value, text, imageIndex});
    Changed(Aspect::Look);
}

void GridColumn::ClearValueList()
{
    m_valueList.clear();
    Changed(Aspect::Look);
}

const GridValueListItem* GridColumn::ValueListItem(const QVariant& value) const
{
    for (const GridValueListItem& item : m_valueList)
        if (SameValue(item.value, value))
            return &item;
    return nullptr;
}

void GridColumn::SetFormat(const QString& format)
{
    m_format = format;
    Changed(Aspect::Look);
}

void GridColumn::SetCellButton(bool button)
{
    m_cellButton = button;
    Changed(Aspect::Look);
}

void GridColumn::SetImage(int imageIndex)
{
    m_image = imageIndex;
    Changed(Aspect::Look);
}

GridColumn::SortOrder GridColumn::CurrentSortOrder() const
{
    return m_grid->SortOrderOf(this);
}
