#include "controls/GridRecordset.h"

#include "controls/GridBoundSource.h"
#include "controls/GridModel.h"
#include "controls/ctlDataGrid.h"

namespace
{
GridBoundSource* BoundSource(const ctlDataGrid* grid)
{
    return grid->Model() ? dynamic_cast<GridBoundSource*>(grid->Model()->Source()) : nullptr;
}

DbError Closed()
{
    return {DbErrorNumber::NotOpen, QStringLiteral("The result set is closed.")};
}
} // namespace

GridRecordset::~GridRecordset() = default;

bool GridRecordset::IsOpen() const
{
    return BoundSource(m_grid) != nullptr;
}

qint64 GridRecordset::RecordCount() const
{
    const GridBoundSource* source = BoundSource(m_grid);
    return source ? source->Count() : 0;
}

void GridRecordset::Forget()
{
    m_row.reset();
    m_bookmark = QVariant();
    m_adding = false;
}

DbError GridRecordset::SetBookmark(const QVariant& bookmark)
{
    GridBoundSource* source = BoundSource(m_grid);
    if (!source)
        return Closed();
    Forget();
    bool ok = false;
    const qint64 key = bookmark.toLongLong(&ok);
    if (!ok || source->IdField().isEmpty())
        return {3159, QStringLiteral("Not a valid bookmark.")};
    Result<std::unique_ptr<Recordset>> row = source->database().OpenRecordset(
        QStringLiteral("SELECT * FROM [%1] WHERE [%2] = %3").arg(source->BaseTable(), source->IdField()).arg(key),
        RecordsetType::Dynaset);
    if (!row)
        return row.error();
    if (row.value()->Eof())
        return {3159, QStringLiteral("Not a valid bookmark.")};
    m_row = std::move(row.value());
    m_bookmark = key;
    return {};
}

bool GridRecordset::Eof() const
{
    return !m_row || (!m_adding && m_row->Eof());
}

QVariant GridRecordset::Value(const QString& field) const
{
    return m_row ? m_row->Value(field) : QVariant();
}

DbError GridRecordset::Edit()
{
    if (!BoundSource(m_grid))
        return Closed();
    if (!m_row)
        return {DbErrorNumber::NoCurrentRecord, QStringLiteral("No current record.")};
    return m_row->Edit();
}

DbError GridRecordset::AddNew()
{
    GridBoundSource* source = BoundSource(m_grid);
    if (!source)
        return Closed();
    if (!source->Updatable())
        return {DbErrorNumber::ReadOnly, QStringLiteral("The grid's records cannot be changed.")};
    Result<std::unique_ptr<Recordset>> none = source->database().OpenRecordset(
        QStringLiteral("SELECT * FROM [%1] WHERE False").arg(source->BaseTable()), RecordsetType::Dynaset);
    if (!none)
        return none.error();
    if (DbError error = none.value()->AddNew())
        return error;
    Forget();
    m_row = std::move(none.value());
    m_adding = true;
    return {};
}

DbError GridRecordset::SetValue(const QString& field, const QVariant& value)
{
    if (!m_row)
        return {DbErrorNumber::NoCurrentRecord, QStringLiteral("No current record.")};
    return m_row->SetValue(field, value);
}

DbError GridRecordset::Update()
{
    if (!BoundSource(m_grid))
        return Closed();
    if (!m_row)
        return {DbErrorNumber::UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit.")};
    if (DbError error = m_row->Update())
        return error;
    const qint64 key = m_row->LastModified().toLongLong();
    if (m_adding) {
        // The new record becomes the grid's last row and the current record here.
        m_grid->RecordAppended(key);
        return SetBookmark(key);
    }
    m_grid->RecordChanged(key);
    return {};
}

void GridRecordset::CancelUpdate()
{
    if (!m_row)
        return;
    m_row->CancelUpdate();
    if (m_adding)
        Forget();
}

void GridRecordset::Close()
{
    Forget();
    m_grid->CloseRecords();
}
