#include "controls/GridModel.h"

#include "controls/GridBoundSource.h"
#include "controls/ctlDataGrid.h"

#include <QDateTime>
#include <QLocale>

#include <climits>

namespace
{
QLocale DisplayLocale()
{
    // Without a locale of its own (the "C" locale of a bare session) the program shows values the way
    // its users always saw them.
    const QLocale locale;
    return locale.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : locale;
}

bool IsNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}
} // namespace

GridModel::GridModel(ctlDataGrid* grid) : m_grid(grid) {}

GridModel::~GridModel() = default;

void GridModel::SetSource(std::unique_ptr<GridSource> source)
{
    beginResetModel();
    m_source = std::move(source);
    m_fields.clear();
    for (int c = 1; c <= m_grid->ColumnCount(); ++c) {
        const GridColumn* column = m_grid->Column(c);
        if (!m_source)
            m_fields.push_back(-1);
        else if (m_source->IsBound())
            m_fields.push_back(column->DataField().isEmpty() ? -1 : m_source->FieldIndex(column->DataField()));
        else
            m_fields.push_back(c - 1); // an unbound row holds one value per column
    }
    endResetModel();
}

std::unique_ptr<GridSource> GridModel::TakeSource()
{
    beginResetModel();
    std::unique_ptr<GridSource> source = std::move(m_source);
    endResetModel();
    return source;
}

void GridModel::ColumnsChanged()
{
    SetSource(std::move(m_source));
}

int GridModel::FieldOfColumn(int column) const
{
    return column >= 0 && column < int(m_fields.size()) ? m_fields[size_t(column)] : -1;
}

void GridModel::SetNewRowLine(bool on)
{
    if (on == m_newRowLine)
        return;
    beginResetModel();
    m_newRowLine = on;
    endResetModel();
}

void GridModel::SetRecordsOnly(bool on)
{
    if (on == m_recordsOnly)
        return;
    beginResetModel();
    m_recordsOnly = on;
    endResetModel();
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_source)
        return 0;
    qint64 rows = HasNewLine() ? 1 : 0;
    if (Grouped())
        rows += m_source->Groups().RowCount() + (m_source->Count() - m_source->ArrangedCount());
    else
        rows += m_source->Count();
    return int(std::min<qint64>(rows, INT_MAX));
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_grid->ColumnCount();
}

GridModel::RowRef GridModel::Ref(int row) const
{
    RowRef ref;
    if (!m_source || row < 0 || row >= rowCount())
        return ref;
    if (HasNewLine() && row == 0) {
        ref.kind = RowKind::NewRow;
        return ref;
    }
    const qint64 r = row - FirstRecordRow();
    if (Grouped()) {
        const GridGroupTree& tree = m_source->Groups();
        if (r < tree.RowCount()) {
            const GridGroupTree::Place place = tree.Locate(r);
            if (place.node >= 0) {
                ref.kind = RowKind::Group;
                ref.node = place.node;
            } else {
                ref.kind = RowKind::Record;
                ref.position = place.position;
            }
            return ref;
        }
        ref.kind = RowKind::Record;
        ref.position = m_source->ArrangedCount() + (r - tree.RowCount());
        return ref;
    }
    ref.kind = RowKind::Record;
    ref.position = r;
    return ref;
}

int GridModel::RowOfPosition(qint64 position) const
{
    if (!m_source || position < 0 || position >= m_source->Count())
        return -1;
    if (!Grouped())
        return int(FirstRecordRow() + position);
    const GridGroupTree& tree = m_source->Groups();
    if (position >= m_source->ArrangedCount())
        return int(FirstRecordRow() + tree.RowCount() + (position - m_source->ArrangedCount()));
    const qint64 row = tree.RowOfPosition(position);
    return row < 0 ? -1 : int(FirstRecordRow() + row);
}

int GridModel::RowOfNode(int node) const
{
    if (!Grouped())
        return -1;
    const qint64 row = m_source->Groups().RowOfNode(node);
    return row < 0 ? -1 : int(FirstRecordRow() + row);
}

qint64 GridModel::KeyOfRow(int row) const
{
    const RowRef ref = Ref(row);
    return ref.kind == RowKind::Record ? m_source->KeyAt(ref.position) : -1;
}

DbError GridModel::Arrange(const QList<GridSource::OrderLevel>& groups, const QList<GridSource::OrderLevel>& sort,
                           bool collapsed)
{
    if (!m_source)
        return {};
    beginResetModel();
    const DbError error = m_source->Arrange(groups, sort);
    m_source->Groups().SetAllExpanded(!collapsed);
    endResetModel();
    return error;
}

void GridModel::SetExpanded(int node, bool expanded)
{
    if (!Grouped() || node < 0 || node >= int(m_source->Groups().Nodes().size()))
        return;
    GridGroupTree& tree = m_source->Groups();
    if (tree.node(node).expanded == expanded)
        return;
    const int header = RowOfNode(node);
    if (header < 0) {
        tree.SetExpanded(node, expanded); // inside a collapsed group: nothing shown changes
        return;
    }
    // The row counts before and after decide which rows come or go; the tree changes between begin and end.
    const qint64 before = tree.node(node).rows;
    tree.SetExpanded(node, expanded);
    const qint64 after = tree.node(node).rows;
    tree.SetExpanded(node, !expanded);
    if (after > before) {
        beginInsertRows(QModelIndex(), int(header + before), int(header + after - 1));
        tree.SetExpanded(node, expanded);
        endInsertRows();
    } else if (after < before) {
        beginRemoveRows(QModelIndex(), int(header + after), int(header + before - 1));
        tree.SetExpanded(node, expanded);
        endRemoveRows();
    } else {
        tree.SetExpanded(node, expanded);
    }
    const QModelIndex first = index(header, 0);
    Q_EMIT dataChanged(first, index(header, columnCount() - 1));
}

QString GridModel::FormatValue(const QVariant& value, const GridColumn& column)
{
    if (const GridValueListItem* item = column.ValueListItem(value))
        return item->text;
    if (!value.isValid() || value.isNull())
        return QString();
    const QString format = column.Format();
    const QLocale locale = DisplayLocale();
    if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate) {
        const QDateTime when = value.toDateTime();
        // Short dates with the whole year: a catalog holds dates of any century.
        QString shortDate = locale.dateFormat(QLocale::ShortFormat);
        if (!shortDate.contains(QLatin1String("yyyy")))
            shortDate.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        if (format.compare(QLatin1String("Long Date"), Qt::CaseInsensitive) == 0)
            return locale.toString(when.date(), QLocale::LongFormat);
        if (format.compare(QLatin1String("Short Date"), Qt::CaseInsensitive) == 0 || when.time() == QTime(0, 0))
            return locale.toString(when.date(), shortDate);
        return locale.toString(when.date(), shortDate) + QLatin1Char(' ') +
               locale.toString(when.time(), QLocale::ShortFormat);
    }
    if (format.compare(QLatin1String("Currency"), Qt::CaseInsensitive) == 0 && value.canConvert<double>()) {
        bool ok = false;
        const double amount = value.toDouble(&ok);
        if (ok)
            return locale.toCurrencyString(amount);
    }
    if (value.typeId() == QMetaType::Bool || format.contains(QLatin1Char('/'))) {
        const bool on = IsTrue(value);
        if (format.compare(QLatin1String("Yes/No"), Qt::CaseInsensitive) == 0)
            return on ? QStringLiteral("Yes") : QStringLiteral("No");
        if (format.compare(QLatin1String("On/Off"), Qt::CaseInsensitive) == 0)
            return on ? QStringLiteral("On") : QStringLiteral("Off");
        if (value.typeId() == QMetaType::Bool || format.compare(QLatin1String("True/False"), Qt::CaseInsensitive) == 0)
            return on ? QStringLiteral("True") : QStringLiteral("False");
    }
    if (value.typeId() == QMetaType::Double)
        return locale.toString(value.toDouble(), 'g', 15);
    return value.toString();
}

QString GridModel::GroupText(int node) const
{
    if (!m_source || node < 0 || node >= int(m_source->Groups().Nodes().size()))
        return QString();
    const GridGroupTree::Node& n = m_source->Groups().node(node);
    const GridColumn* column = m_grid->Column(m_grid->GroupColumn(n.level));
    QString text;
    if (column) {
        const QString value = FormatValue(n.value, *column);
        text = column->Caption() + QStringLiteral(": ") + (value.isEmpty() ? QStringLiteral("(empty)") : value);
    }
    return text + (n.count == 1 ? QStringLiteral(" (1 item)") : QStringLiteral(" (%L1 items)").arg(n.count));
}

QVariant GridModel::CellValue(int row, int column) const
{
    const RowRef ref = Ref(row);
    const int field = FieldOfColumn(column);
    if (ref.kind != RowKind::Record || field < 0)
        return QVariant();
    return m_source->Value(ref.position, field);
}

bool GridModel::IsTrue(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        return text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
               text.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0 || text.toDouble() != 0.0;
    }
    return value.toBool() || (value.canConvert<double>() && value.toDouble() != 0.0);
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const RowRef ref = Ref(index.row());
    if (role == RowKindRole)
        return int(ref.kind);
    const GridColumn* column = m_grid->Column(index.column() + 1);
    if (!column)
        return QVariant();
    if (role == CellButtonRole)
        return column->HasCellButton();
    switch (ref.kind) {
    case RowKind::Group: {
        const GridGroupTree::Node& n = m_source->Groups().node(ref.node);
        switch (role) {
        case GroupTextRole:
            return GroupText(ref.node);
        case Qt::DisplayRole:
            return index.column() == 0 ? GroupText(ref.node) : QVariant();
        case GroupLevelRole:
            return n.level;
        case GroupExpandedRole:
            return n.expanded;
        default:
            return QVariant();
        }
    }
    case RowKind::Record:
        break;
    default:
        return QVariant();
    }

    const QVariant value = CellValue(index.row(), index.column());
    const GridColumn::Kind kind = column->ColumnKind();
    switch (role) {
    case Qt::DisplayRole:
        if (kind == GridColumn::Kind::CheckBox || kind == GridColumn::Kind::Icon)
            return QVariant();
        return FormatValue(value, *column);
    case Qt::EditRole:
        return value;
    case Qt::ToolTipRole:
        if (kind == GridColumn::Kind::Icon)
            if (const GridValueListItem* item = column->ValueListItem(value))
                return item->text;
        return QVariant();
    case Qt::DecorationRole: {
        if (kind != GridColumn::Kind::Icon && kind != GridColumn::Kind::IconWithText)
            return QVariant();
        int image = column->Image();
        if (const GridValueListItem* item = column->ValueListItem(value))
            image = item->imageIndex;
        const QPixmap picture = m_grid->Image(image);
        return picture.isNull() ? QVariant() : QVariant(picture);
    }
    case Qt::CheckStateRole:
        if (kind != GridColumn::Kind::CheckBox)
            return QVariant();
        return int(IsTrue(value) ? Qt::Checked : Qt::Unchecked);
    case Qt::TextAlignmentRole:
        if (kind == GridColumn::Kind::Icon || kind == GridColumn::Kind::CheckBox)
            return int(Qt::AlignCenter);
        if (IsNumber(value) && !column->ValueListItem(value))
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return QVariant();
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    const GridColumn* column = m_grid->Column(section + 1);
    return column ? column->Caption() : QVariant();
}

bool GridModel::CanEdit(const QModelIndex& index) const
{
    if (!index.isValid() || !m_source || !m_source->Updatable())
        return false;
    const RowRef ref = Ref(index.row());
    if (ref.kind == RowKind::Record ? !m_grid->AllowEdit() : !(ref.kind == RowKind::NewRow && m_grid->AllowAddNew()))
        return false;
    const GridColumn* column = m_grid->Column(index.column() + 1);
    const int field = FieldOfColumn(index.column());
    if (!column || field < 0 || column->ColumnEditKind() == GridColumn::EditKind::None)
        return false;
    if (const auto* bound = dynamic_cast<const GridBoundSource*>(m_source.get())) {
        const FieldDef* def = bound->FieldInfo(field);
        if (!def || def->isAutoIncrement())
            return false;
    }
    return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const GridColumn* column = m_grid->Column(index.column() + 1);
    if (CanEdit(index) && column && column->ColumnEditKind() != GridColumn::EditKind::CheckBox)
        flags |= Qt::ItemIsEditable;
    return flags;
}

DbError GridModel::WriteCell(int row, int column, const QVariant& value)
{
    const RowRef ref = Ref(row);
    const int field = FieldOfColumn(column);
    if (ref.kind != RowKind::Record)
        return {DbErrorNumber::NoCurrentRecord, QStringLiteral("No current record.")};
    if (field < 0)
        return {3164, QStringLiteral("The column shows no field.")};
    const DbError error = m_source->Write(m_source->KeyAt(ref.position), field, value);
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
    return error;
}

Result<qint64> GridModel::InsertRecord(const QHash<int, QVariant>& values)
{
    if (!m_source)
        return DbError{DbErrorNumber::NotOpen, QStringLiteral("The grid has no records.")};
    QHash<int, QVariant> byField;
    for (auto it = values.begin(); it != values.end(); ++it) {
        const int field = FieldOfColumn(it.key());
        if (field >= 0)
            byField.insert(field, it.value());
    }
    return m_source->Insert(byField);
}

void GridModel::Appended(qint64 key)
{
    if (!m_source)
        return;
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_source->Append(key);
    endInsertRows();
}

void GridModel::Changed(qint64 key)
{
    if (!m_source)
        return;
    m_source->Forget(key);
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void GridModel::Refetch()
{
    if (!m_source)
        return;
    m_source->ForgetAll();
    if (rowCount() > 0 && columnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void GridModel::BeginBulkChange()
{
    beginResetModel();
}

void GridModel::EndBulkChange()
{
    endResetModel();
}
