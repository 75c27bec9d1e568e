#include "controls/GridDelegate.h"

#include "controls/GridBoundSource.h"
#include "controls/GridCardView.h"
#include "controls/GridDateEditor.h"
#include "controls/GridModel.h"
#include "controls/ctlDataGrid.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

namespace
{
using RowKind = GridModel::RowKind;

RowKind KindOf(const QModelIndex& index)
{
    return RowKind(index.data(GridModel::RowKindRole).toInt());
}
} // namespace

GridDelegate::GridDelegate(ctlDataGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

QRect GridDelegate::ButtonRect(const QRect& cell)
{
    const int width = std::min(18, cell.width() / 2);
    return QRect(cell.right() - width + 1, cell.top() + 1, width - 1, cell.height() - 2);
}

QString GridDelegate::EditText(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::QDateTime: {
        const QDateTime when = value.toDateTime();
        QString text = GridDateEditor::TextOf(when.date());
        if (when.time() != QTime(0, 0))
            text += when.time().toString(QStringLiteral(" H:mm:ss"));
        return text;
    }
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return value.toString();
    }
}

void GridDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->decorationSize = QSize(16, 16);
    if (const GridColumn* column = m_grid->Column(index.column() + 1))
        if (column->ColumnKind() == GridColumn::Kind::Icon)
            option->decorationAlignment = Qt::AlignCenter;
    // The check box is drawn by paint, centred; the style's own would sit at the left.
    option->features &= ~QStyleOptionViewItem::HasCheckIndicator;
    // A card reads as a form: every value at the left.
    if (qobject_cast<const GridCardView*>(option->widget)) {
        option->displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        option->decorationAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    }
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const RowKind kind = KindOf(index);
    if (kind == RowKind::Group || kind == RowKind::NewRow)
        return; // the view draws these rows across all columns
    const GridColumn* column = m_grid->Column(index.column() + 1);
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const QAbstractItemView* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const bool current = view && view->currentIndex().row() == index.row();
    const bool button = column && column->HasCellButton() && current;
    if (button)
        opt.rect.setRight(ButtonRect(option.rect).left() - 1);
    QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    if (button) {
        // The button's strip gets the row's background too.
        QStyleOptionViewItem strip(option);
        initStyleOption(&strip, index);
        strip.text.clear();
        strip.icon = QIcon();
        style->drawControl(QStyle::CE_ItemViewItem, &strip, painter, strip.widget);
    }
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    if (column && column->ColumnKind() == GridColumn::Kind::CheckBox) {
        QStyleOptionButton box;
        box.state = QStyle::State_Enabled;
        box.state |= index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
        const QSize size(style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, opt.widget),
                         style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, opt.widget));
        box.rect = QRect(QPoint(0, 0), size);
        box.rect.moveCenter(opt.rect.center());
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, opt.widget);
    }
    if (button) {
        QStyleOptionButton face;
        face.rect = ButtonRect(option.rect);
        face.state = QStyle::State_Enabled | QStyle::State_Raised;
        face.text = QStringLiteral("…");
        face.palette = option.palette;
        style->drawControl(QStyle::CE_PushButton, &face, painter, opt.widget);
    }
}

QSize GridDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), option.fontMetrics.height() + 6));
    return size;
}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    const GridColumn* column = m_grid->Column(index.column() + 1);
    if (!column || !m_grid->AskBeforeEdit(index))
        return nullptr;
    QWidget* editor = nullptr;
    switch (column->ColumnEditKind()) {
    case GridColumn::EditKind::TextBox: {
        auto* box = new QLineEdit(parent);
        box->setFrame(false);
        int length = column->MaxLength();
        const auto* model = qobject_cast<const GridModel*>(index.model());
        if (length <= 0 && model)
            if (const auto* bound = dynamic_cast<const GridBoundSource*>(model->Source()))
                if (const FieldDef* field = bound->FieldInfo(model->FieldOfColumn(index.column())))
                    if (field->type == FieldType::Text)
                        length = field->size > 0 ? field->size : DefaultTextSize;
        if (length > 0)
            box->setMaxLength(length);
        editor = box;
        break;
    }
    case GridColumn::EditKind::DropDownList: {
        auto* list = new QComboBox(parent);
        list->setFrame(false);
        list->setIconSize(QSize(16, 16));
        for (const GridValueListItem& item : column->ValueList())
            list->addItem(QIcon(m_grid->Image(item.imageIndex)), item.text, item.value);
        editor = list;
        break;
    }
    case GridColumn::EditKind::Calendar: {
        auto* calendar = new GridDateEditor(parent);
        calendar->setFrame(false);
        editor = calendar;
        break;
    }
    default:
        return nullptr;
    }
    editor->setAutoFillBackground(true);
    m_grid->EditorOpened(editor, index);
    return editor;
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QVariant value = index.data(Qt::EditRole);
    if (auto* list = qobject_cast<QComboBox*>(editor)) {
        int found = -1;
        const GridColumn* column = m_grid->Column(index.column() + 1);
        if (column)
            if (const GridValueListItem* item = column->ValueListItem(value))
                found = int(item - column->ValueList().constData());
        list->setCurrentIndex(found);
        return;
    }
    if (auto* box = qobject_cast<QLineEdit*>(editor)) {
        // An editor opened by a typed key already holds that key; keep it.
        if (box->property("kst_started").toBool())
            return;
        box->setProperty("kst_started", true);
        if (auto* calendar = qobject_cast<GridDateEditor*>(editor))
            calendar->setText(EditText(value));
        else
            box->setText(EditText(value));
    }
}

QVariant GridDelegate::EditorValue(QWidget* editor)
{
    if (auto* list = qobject_cast<QComboBox*>(editor))
        return list->currentIndex() < 0 ? QVariant() : list->currentData();
    if (auto* calendar = qobject_cast<GridDateEditor*>(editor)) {
        const QString text = calendar->text().trimmed();
        if (text.isEmpty())
            return QVariant();
        const QDate date = calendar->date();
        // Text that reads as no date goes on as it is, so that the field's rule refuses it.
        return date.isValid() ? QVariant(QDateTime(date, QTime(0, 0))) : QVariant(text);
    }
    if (auto* box = qobject_cast<QLineEdit*>(editor))
        return box->text();
    return QVariant();
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const
{
    m_grid->CommitCell(index, EditorValue(editor));
}

void GridDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    QRect rect = option.rect;
    if (const GridColumn* column = m_grid->Column(index.column() + 1))
        if (column->HasCellButton())
            rect.setRight(ButtonRect(option.rect).left() - 1);
    editor->setGeometry(rect);
}

void GridDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    m_grid->EditorClosed(editor);
    QStyledItemDelegate::destroyEditor(editor, index);
}

bool GridDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                               const QModelIndex& index)
{
    const GridColumn* column = m_grid->Column(index.column() + 1);
    const auto* grid = qobject_cast<const GridModel*>(model);
    if (column && grid && column->ColumnEditKind() == GridColumn::EditKind::CheckBox && grid->CanEdit(index)) {
        // A check box changes with a click or the space bar, without an editor.
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && option.rect.contains(mouse->position().toPoint())) {
                m_grid->ToggleCheck(index);
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            return true;
        } else if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Space || key->key() == Qt::Key_Select) {
                m_grid->ToggleCheck(index);
                return true;
            }
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

bool GridDelegate::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (m_grid->EditorKey(key, event->type() == QEvent::KeyPress))
            return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
