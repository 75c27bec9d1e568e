#include "items/ctlItemEditor.h"

#include "app/clsCatalog.h"
#include "controls/GridRecordset.h"
#include "controls/IconLibrary.h"
#include "controls/RtfDocumentReader.h"
#include "controls/RtfDocumentWriter.h"
#include "controls/WindowHelpers.h"
#include "controls/ctlImageViewer.h"
#include "controls/ctlDataGrid.h"
#include "controls/frmFontDialog.h"
#include "items/ItemCommands.h"
#include "items/ItemStatements.h"
#include "items/ctlItemView.h"
#include "model/Categories.h"
#include "model/Category.h"
#include "model/clsColumn.h"
#include "model/clsColumns.h"
#include "platform/Database.h"
#include "platform/UserInterface.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{
QWidget* Header(QWidget* parent, QComboBox* list, QToolBar* toolbar)
{
    auto* header = new QWidget(parent);
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(2, 2, 2, 2);
    list->setMinimumWidth(160);
    layout->addWidget(list);
    layout->addWidget(toolbar, 1);
    return header;
}

// Fills a field list: an empty first entry, then the names in order, and selects the entry that begins with
// the remembered name (else the empty one).
void FillFieldList(QComboBox* list, QStringList names, const QString& remembered)
{
    const QSignalBlocker quiet(list);
    list->clear();
    names.sort(Qt::CaseInsensitive);
    list->addItem(QString());
    list->addItems(names);
    int chosen = 0;
    if (!remembered.isEmpty())
        for (int i = 1; i < list->count(); ++i)
            if (list->itemText(i).startsWith(remembered, Qt::CaseInsensitive)) {
                chosen = i;
                break;
            }
    list->setCurrentIndex(chosen);
}

QStringList ColumnsOfType(Category& category, int type)
{
    QStringList names;
    for (const auto& column : category.Columns())
        if (column->ColumnType() == type)
            names << column->Name();
    return names;
}

// The buttons themselves, not just the bar: a disabled bar leaves its actions' state as it was.
void EnableButtons(QToolBar* toolbar, bool enabled)
{
    for (QAction* action : toolbar->actions())
        action->setEnabled(enabled);
}

// A print hook for tests: where the memo goes instead of the print dialog.
QString& PrintTargetForTesting()
{
    static QString target;
    return target;
}
} // namespace

ctlItemEditor::ctlItemEditor(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("Tabs"));
    layout->addWidget(m_tabs);

    m_closeButton = new QToolButton(this);
    m_closeButton->setObjectName(QStringLiteral("Close Button"));
    m_closeButton->setAutoRaise(true);
    m_closeButton->setIcon(IconLibrary::Icon(QStringLiteral("Close")));
    m_closeButton->setToolTip(QStringLiteral("Close"));
    m_tabs->setCornerWidget(m_closeButton, Qt::TopRightCorner);
    connect(m_closeButton, &QToolButton::clicked, this, &ctlItemEditor::CloseClick);

    m_valueView = new ctlItemView(this);
    m_valueView->setObjectName(QStringLiteral("ValueView"));
    m_valueView->SetViewType(ctlItemView::SingleItem);
    m_tabs->addTab(m_valueView, QStringLiteral("Columns"));
    m_tabs->addTab(BuildMemoTab(), QStringLiteral("Memos"));
    m_tabs->addTab(BuildMediaTab(), QStringLiteral("Media"));
    m_tabs->addTab(BuildSubItemsTab(), QStringLiteral("Sub-Items"));
    m_peopleLinkView = new ctlItemView(this);
    m_peopleLinkView->setObjectName(QStringLiteral("PeopleLinkView"));
    m_peopleLinkView->SetViewType(ctlItemView::PeopleLinks);
    m_peopleLinkView->hide();
    m_linksPage = m_peopleLinkView;

    connect(m_valueView, &ctlItemView::Change, this, [this] { m_valuesChanged = true; });
    connect(m_valueView, &ctlItemView::TitleChange, this, &ctlItemEditor::TitleChange);
    connect(m_tabs, &QTabWidget::currentChanged, this, &ctlItemEditor::TabShown);
}

ctlItemEditor::~ctlItemEditor()
{
    // Deleting the pages makes the tabs and the memo report changes; nothing here may hear them any more.
    m_tabs->disconnect(this);
    m_memoBox->document()->disconnect(this);
    m_memoBox->disconnect(this);
    m_valueView->disconnect(this);
}

QAction* ctlItemEditor::AddButton(QToolBar* toolbar, const QString& key, const QString& icon, const QString& tip)
{
    QAction* action = toolbar->addAction(tip);
    action->setObjectName(key);
    action->setToolTip(tip);
    if (!icon.isEmpty()) {
        const QIcon picture = icon.startsWith(QLatin1String("theme:")) ? QIcon::fromTheme(icon.mid(6))
                                                                       : IconLibrary::Icon(icon);
        if (!picture.isNull())
            action->setIcon(picture);
    }
    m_buttons.insert(key, action);
    return action;
}

QWidget* ctlItemEditor::BuildMemoTab()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_memoField = new QComboBox(page);
    m_memoField->setObjectName(QStringLiteral("MemoField"));
    m_memoToolbar = new QToolBar(page);
    m_memoToolbar->setIconSize(QSize(16, 16));
    m_memoToolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(Header(page, m_memoField, m_memoToolbar));
    m_memoBox = new QTextEdit(page);
    m_memoBox->setObjectName(QStringLiteral("MemoBox"));
    m_memoBox->setAcceptRichText(true);
    layout->addWidget(m_memoBox, 1);

    QAction* bold = AddButton(m_memoToolbar, QStringLiteral("Bold"), QString(), QStringLiteral("Bold"));
    QAction* italic = AddButton(m_memoToolbar, QStringLiteral("Italic"), QString(), QStringLiteral("Italic"));
    QAction* underline = AddButton(m_memoToolbar, QStringLiteral("Underline"), QString(), QStringLiteral("Underline"));
    bold->setText(QStringLiteral("B"));
    italic->setText(QStringLiteral("I"));
    underline->setText(QStringLiteral("U"));
    QFont face = m_memoToolbar->font();
    face.setBold(true);
    bold->setFont(face);
    face.setBold(false);
    face.setItalic(true);
    italic->setFont(face);
    face.setItalic(false);
    face.setUnderline(true);
    underline->setFont(face);
    for (QAction* toggle : {bold, italic, underline})
        toggle->setCheckable(true);
    connect(bold, &QAction::triggered, this, [this](bool on) {
        ApplyCharFormat([on](QTextCharFormat& f) { f.setFontWeight(on ? QFont::Bold : QFont::Normal); });
    });
    connect(italic, &QAction::triggered, this,
            [this](bool on) { ApplyCharFormat([on](QTextCharFormat& f) { f.setFontItalic(on); }); });
    connect(underline, &QAction::triggered, this,
            [this](bool on) { ApplyCharFormat([on](QTextCharFormat& f) { f.setFontUnderline(on); }); });
    m_memoToolbar->addSeparator();
    auto* alignments = new QActionGroup(this);
    const std::pair<const char*, Qt::Alignment> aligns[] = {
        {"Left", Qt::AlignLeft}, {"Center", Qt::AlignHCenter}, {"Right", Qt::AlignRight}};
    for (const auto& [key, alignment] : aligns) {
        QAction* action = AddButton(m_memoToolbar, QLatin1String(key), QString(), QLatin1String(key));
        action->setCheckable(true);
        alignments->addAction(action);
        connect(action, &QAction::triggered, this, [this, alignment = alignment] { ApplyAlignment(alignment); });
    }
    m_memoToolbar->addSeparator();
    connect(AddButton(m_memoToolbar, QStringLiteral("Font"), QString(), QStringLiteral("Font...")),
            &QAction::triggered, this, &ctlItemEditor::ChooseFont);
    connect(AddButton(m_memoToolbar, QStringLiteral("Print"), QString(), QStringLiteral("Print...")),
            &QAction::triggered, this, &ctlItemEditor::PrintMemo);

    connect(m_memoField, &QComboBox::activated, this, &ctlItemEditor::ChooseMemo);
    connect(m_memoBox, &QTextEdit::cursorPositionChanged, this, &ctlItemEditor::MemoCursorMoved);
    // Only a real change of text or formatting marks the memo changed: a caret that moved changes nothing.
    connect(m_memoBox->document(), &QTextDocument::contentsChanged, this, [this] {
        if (!m_loadingMemo && !m_boundMemo.isEmpty())
            m_memoChanged = true;
    });
    EnableButtons(m_memoToolbar, false);
    m_memoBox->setEnabled(false);
    return page;
}

QWidget* ctlItemEditor::BuildMediaTab()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_imageField = new QComboBox(page);
    m_imageField->setObjectName(QStringLiteral("ImageField"));
    m_mediaToolbar = new QToolBar(page);
    m_mediaToolbar->setIconSize(QSize(16, 16));
    m_mediaToolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    layout->addWidget(Header(page, m_imageField, m_mediaToolbar));
    for (const auto& [key, icon] : {std::pair{"Open Image", "Open"}, {"Save Image", "Export"}, {"Clear Image", "Delete"}})
        connect(AddButton(m_mediaToolbar, QLatin1String(key), QLatin1String(icon), QLatin1String(key)),
                &QAction::triggered, this, [this, key = QString::fromLatin1(key)] { MediaCommand(key); });
    EnableButtons(m_mediaToolbar, false);
    m_imageViewer = new ctlImageViewer(page);
    m_imageViewer->setObjectName(QStringLiteral("ImageViewer"));
    layout->addWidget(m_imageViewer, 1);
    connect(m_imageField, &QComboBox::activated, this, &ctlItemEditor::ChoosePicture);
    return page;
}

QWidget* ctlItemEditor::BuildSubItemsTab()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_subCategory = new QComboBox(page);
    m_subCategory->setObjectName(QStringLiteral("cmbSubCategory"));
    auto* toolbar = new QToolBar(page);
    toolbar->setIconSize(QSize(16, 16));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    layout->addWidget(Header(page, m_subCategory, toolbar));
    m_subItemView = new ctlItemView(page);
    m_subItemView->setObjectName(QStringLiteral("SubItemView"));
    m_subItemView->SetViewType(ctlItemView::SubItems);
    layout->addWidget(m_subItemView, 1);
    connect(AddButton(toolbar, QStringLiteral("Add"), QStringLiteral("Add"), QStringLiteral("Add")),
            &QAction::triggered, m_subItemView, &ctlItemView::AddItem);
    connect(AddButton(toolbar, QStringLiteral("Delete"), QStringLiteral("Delete"), QStringLiteral("Delete")),
            &QAction::triggered, m_subItemView, &ctlItemView::DeleteSelected);
    connect(AddButton(toolbar, QStringLiteral("Refresh"), QStringLiteral("Refresh"), QStringLiteral("Refresh")),
            &QAction::triggered, m_subItemView, [this] { m_subItemView->RefreshView(); });
    for (const char* key : {"Add", "Delete", "Refresh"})
        m_buttons.value(QLatin1String(key))->setEnabled(false);
    connect(m_subCategory, &QComboBox::activated, this, &ctlItemEditor::ChooseSubCategory);
    return page;
}

// ---- The item and its tabs -------------------------------------------------------------------------------

void ctlItemEditor::Setup()
{
    m_valueView->Setup();
    m_subItemView->Setup();
    m_peopleLinkView->Setup();
    WindowHelpers::ApplyFont(this);
}

void ctlItemEditor::SetCloseButtonVisible(bool visible)
{
    m_closeButton->setVisible(visible);
}

void ctlItemEditor::SetSubject(const std::optional<Subject>& subject)
{
    m_subject = subject;
    if (m_subject)
        AdjustLinksTab();
}

void ctlItemEditor::AdjustLinksTab()
{
    Category* category = m_subject ? m_subject->category() : nullptr;
    const bool person = category && category->CType() == Category::People;
    const int links = m_tabs->indexOf(m_linksPage);
    if (person && links < 0) {
        m_tabs->addTab(m_linksPage, QStringLiteral("Links"));
    } else if (!person && links >= 0) {
        const bool wasSelected = m_tabs->currentIndex() == links;
        const QSignalBlocker quiet(m_tabs);
        m_tabs->removeTab(links);
        m_linksPage->hide();
        if (wasSelected)
            m_tabs->setCurrentIndex(ColumnsTab);
    }
}

void ctlItemEditor::SetID(int id)
{
    m_id = id;
    m_subItemView->ParentID = id;
}

bool ctlItemEditor::CanLoad() const
{
    return m_subject && m_subject->category() && m_id != 0 && Catalog().database();
}

void ctlItemEditor::Refresh()
{
    TabShown(m_tabs->currentIndex());
}

void ctlItemEditor::TabShown(int index)
{
    if (!CanLoad())
        return;
    QWidget* page = m_tabs->widget(index);
    if (page == m_valueView && !m_valuesLoaded)
        LoadValueCard();
    else if (index == MemosTab && !m_memosLoaded)
        LoadMemoList();
    else if (index == MediaTab && !m_mediaLoaded)
        LoadMediaList();
    else if (index == SubItemsTab && m_subCategory->count() == 0)
        FillSubCategories();
    else if (page == m_linksPage && !m_linksLoaded)
        LoadPeopleLinks();
}

std::unique_ptr<Recordset> ctlItemEditor::OpenItemRecord() const
{
    Category* category = m_subject ? m_subject->category() : nullptr;
    Database* db = Catalog().database();
    if (!category || !db || m_id == 0)
        return nullptr;
    Result<std::unique_ptr<Recordset>> record = db->OpenRecordset(
        QStringLiteral("SELECT * FROM [") + category->DBName() + QStringLiteral("] WHERE [ID] = ") + QString::number(m_id),
        RecordsetType::Dynaset);
    if (!record || record.value()->Eof())
        return nullptr;
    return std::move(record.value());
}

void ctlItemEditor::LoadValueCard()
{
    m_valuesLoaded = true;
    m_valueView->SetSubject(*m_subject);
    m_valueView->SingleItemID = m_id;
    m_valueView->RefreshView();
}

// ---- Memos -----------------------------------------------------------------------------------------------

void ctlItemEditor::LoadMemoList()
{
    m_memosLoaded = true;
    Category* category = m_subject->category();
    {
        const QSignalBlocker quiet(m_memoBox->document());
        m_loadingMemo = true;
        m_memoBox->clear();
        m_loadingMemo = false;
    }
    m_boundMemo.clear();
    m_memoChanged = false;
    FillFieldList(m_memoField, ColumnsOfType(*category, clsColumn::Memo), category->DefaultMemo());
    ChooseMemo();
}

void ctlItemEditor::SaveMemo(Recordset& record)
{
    if (m_boundMemo.isEmpty() || !m_memoChanged)
        return;
    if (!record.Edit() && !record.SetValue(m_boundMemo, RtfDocumentWriter::Write(*m_memoBox->document())))
        record.Update();
    m_memoChanged = false;
}

void ctlItemEditor::ChooseMemo()
{
    std::unique_ptr<Recordset> record = OpenItemRecord();
    if (record)
        SaveMemo(*record);
    const QString chosen = m_memoField->currentText();
    m_boundMemo = chosen;
    if (!chosen.isEmpty())
        if (Category* category = m_subject ? m_subject->category() : nullptr)
            category->SetDefaultMemo(chosen);
    m_loadingMemo = true;
    m_memoBox->clear();
    if (record && !chosen.isEmpty()) {
        const QVariant stored = record->Value(chosen);
        if (stored.isValid() && !stored.isNull())
            RtfDocumentReader::Read(stored.toString(), *m_memoBox->document());
    }
    m_memoBox->document()->setModified(false);
    m_loadingMemo = false;
    const bool enabled = !chosen.isEmpty();
    EnableButtons(m_memoToolbar, enabled);
    m_memoBox->setEnabled(enabled);
    m_memoChanged = false;
    MemoCursorMoved();
}

void ctlItemEditor::MemoCursorMoved()
{
    // The toggle buttons show the selection's attributes.
    const QTextCharFormat format = m_memoBox->currentCharFormat();
    m_buttons.value(QStringLiteral("Bold"))->setChecked(format.fontWeight() >= QFont::Bold);
    m_buttons.value(QStringLiteral("Italic"))->setChecked(format.fontItalic());
    m_buttons.value(QStringLiteral("Underline"))->setChecked(format.fontUnderline());
    const Qt::Alignment alignment = m_memoBox->alignment();
    const char* key = alignment & Qt::AlignHCenter ? "Center" : alignment & Qt::AlignRight ? "Right" : "Left";
    m_buttons.value(QLatin1String(key))->setChecked(true);
}

void ctlItemEditor::ApplyCharFormat(const std::function<void(QTextCharFormat&)>& change)
{
    QTextCharFormat format;
    change(format);
    QTextCursor cursor = m_memoBox->textCursor();
    cursor.mergeCharFormat(format);
    m_memoBox->mergeCurrentCharFormat(format);
    m_memoBox->setFocus();
}

void ctlItemEditor::ApplyAlignment(Qt::Alignment alignment)
{
    m_memoBox->setAlignment(alignment | Qt::AlignAbsolute);
    m_memoBox->setFocus();
}

void ctlItemEditor::ChooseFont()
{
    const QTextCharFormat current = m_memoBox->currentCharFormat();
    QFont font = current.font();
    QColor color = current.foreground().style() == Qt::NoBrush ? m_memoBox->palette().color(QPalette::Text)
                                                                : current.foreground().color();
    if (!frmFontDialog::Choose(window(), font, color))
        return;
    QTextCharFormat format;
    format.setFont(font);
    format.setForeground(color);
    QTextCursor cursor = m_memoBox->textCursor();
    cursor.mergeCharFormat(format);
    m_memoBox->mergeCurrentCharFormat(format);
    MemoCursorMoved();
}

void ctlItemEditor::PrintMemo()
{
    // The selection alone when there is one.
    QTextDocument selection;
    const QTextCursor cursor = m_memoBox->textCursor();
    const QTextDocument* document = m_memoBox->document();
    if (cursor.hasSelection()) {
        QTextCursor(&selection).insertFragment(cursor.selection());
        document = &selection;
    }
    QPrinter printer;
    if (!PrintTargetForTesting().isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(PrintTargetForTesting());
    } else {
        QPrintDialog dialog(&printer, window());
        if (cursor.hasSelection())
            dialog.setOption(QAbstractPrintDialog::PrintSelection);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    document->print(&printer);
}

QString ctlItemEditor::CurrentMemoField() const
{
    return m_memoField->currentText();
}

QString ctlItemEditor::CurrentMediaField() const
{
    return m_imageField->currentText();
}

// ---- Pictures --------------------------------------------------------------------------------------------

void ctlItemEditor::LoadMediaList()
{
    m_mediaLoaded = true;
    Category* category = m_subject->category();
    m_imageViewer->Clear();
    FillFieldList(m_imageField, ColumnsOfType(*category, clsColumn::Media), category->DefaultMedia());
    ChoosePicture();
}

void ctlItemEditor::ChoosePicture()
{
    const QString chosen = m_imageField->currentText();
    Category* category = m_subject ? m_subject->category() : nullptr;
    if (category && !chosen.isEmpty())
        category->SetDefaultMedia(chosen);
    m_imageViewer->Clear();
    if (chosen.isEmpty()) {
        EnableButtons(m_mediaToolbar, false);
        return;
    }
    if (std::unique_ptr<Recordset> record = OpenItemRecord())
        m_imageViewer->LoadImageFromField(*record, chosen);
    EnableButtons(m_mediaToolbar, true);
}

void ctlItemEditor::MediaCommand(const QString& key)
{
    const QString field = m_imageField->currentText();
    std::unique_ptr<Recordset> record = OpenItemRecord();
    if (field.isEmpty() || !record)
        return;
    if (key == QLatin1String("Open Image"))
        m_imageViewer->LoadImageFromFile(*record, field);
    else if (key == QLatin1String("Save Image"))
        m_imageViewer->SaveImageToFile(*record, field);
    else
        m_imageViewer->ClearImageFromField(*record, field);
    m_mediaChanged = true;
}

// ---- Sub-items and people links ----------------------------------------------------------------------------

void ctlItemEditor::FillSubCategories()
{
    Category* category = m_subject ? m_subject->category() : nullptr;
    const QSignalBlocker quiet(m_subCategory);
    m_subCategory->clear();
    m_subCategory->addItem(QString(), 0);
    if (!category)
        return;
    QList<std::pair<QString, int>> children;
    for (const auto& child : category->ChildList())
        children.append({child->Name(), child->ID()});
    std::sort(children.begin(), children.end(), [](const auto& a, const auto& b) {
        return QString::compare(a.first, b.first, Qt::CaseInsensitive) < 0;
    });
    for (const auto& [name, id] : children)
        m_subCategory->addItem(name, id);
}

void ctlItemEditor::ChooseSubCategory()
{
    Category* child = Catalog().categories().Item(m_subCategory->currentData().toInt());
    const bool chosen = child && !m_subCategory->currentText().isEmpty();
    for (const char* key : {"Add", "Delete", "Refresh"})
        m_buttons.value(QLatin1String(key))->setEnabled(chosen);
    if (!chosen) {
        m_subItemView->Reset();
        return;
    }
    m_subItemView->SetSubject(child->RootSubject());
    m_subItemView->ParentID = m_id;
    m_subItemView->RefreshView();
}

void ctlItemEditor::LoadPeopleLinks()
{
    if (!m_valuesLoaded)
        LoadValueCard();
    m_linksLoaded = true;
    // The person was entered for one category; the items of that category that name the person are shown.
    ctlDataGrid* card = m_valueView->GridExControl();
    GridColumn* categoryColumn = card->ColumnByKey(QStringLiteral("Category"));
    const int categoryId = categoryColumn && card->RowCount() > 0 ? card->RowValue(1, categoryColumn->Index()).toInt() : 0;
    Category* named = categoryId != 0 ? Catalog().categories().Item(categoryId) : nullptr;
    if (!named)
        return;
    m_peopleLinkView->SetSubject(named->RootSubject());
    m_peopleLinkView->RefreshView(nullptr, m_valueView->GetTitle());
}

// ---- Saving and letting go ---------------------------------------------------------------------------------

void ctlItemEditor::UpdateItem()
{
    Category* category = m_subject ? m_subject->category() : nullptr;
    Database* db = Catalog().database();
    if (!category || !db || m_id == 0)
        return;
    // Every step ignores its own failure: what can be saved is saved.
    if (m_valueView->GridExControl()->IsEditing())
        m_valueView->GridExControl()->CommitPendingEdit();
    std::unique_ptr<Recordset> record = OpenItemRecord();
    if (!record)
        return;
    if (!record->Edit()) {
        if (m_valuesChanged || m_memoChanged || m_mediaChanged) {
            record->SetValue(QStringLiteral("Modified"), ItemCommands::StampTime());
        }
        if (!m_boundMemo.isEmpty() && m_memoChanged)
            record->SetValue(m_boundMemo, RtfDocumentWriter::Write(*m_memoBox->document()));
        if (record->Update())
            record->CancelUpdate();
    }
    m_valuesChanged = m_memoChanged = m_mediaChanged = false;
    if (Category* relational = Catalog().categories().RelationalCategory()) {
        const QString title = m_valuesLoaded ? m_valueView->GetTitle()
                                             : record->Value(category->TitleColumn()).toString();
        db->Execute(QStringLiteral("UPDATE [") + relational->DBName() + QStringLiteral("] SET [Title] = '") +
                    ItemStatements::Quoted(title.left(255)) + QStringLiteral("' WHERE [RecordID] = ") +
                    QString::number(m_id) + QStringLiteral(" AND [Category] = '") + QString::number(category->ID()) +
                    QLatin1Char('\''));
    }
}

void ctlItemEditor::Reset()
{
    UpdateItem();
    m_subject.reset();
    m_id = 0;
    m_valueView->Reset();
    m_subItemView->Reset();
    m_peopleLinkView->Reset();
    m_loadingMemo = true;
    m_memoField->clear();
    m_memoBox->clear();
    m_loadingMemo = false;
    m_boundMemo.clear();
    EnableButtons(m_memoToolbar, false);
    m_memoBox->setEnabled(false);
    m_imageField->clear();
    m_imageViewer->Clear();
    EnableButtons(m_mediaToolbar, false);
    m_subCategory->clear();
    for (const char* key : {"Add", "Delete", "Refresh"})
        m_buttons.value(QLatin1String(key))->setEnabled(false);
    m_valuesChanged = m_memoChanged = m_mediaChanged = false;
    m_valuesLoaded = m_memosLoaded = m_mediaLoaded = m_linksLoaded = false;
}

void ctlItemEditor::TerminateMe()
{
    m_subject.reset();
    m_id = 0;
}

void ctlItemEditor::Detach()
{
    if (m_valueView->GridExControl()->IsBound())
        m_valueView->GridExControl()->Recordset().Close();
    if (m_subItemView->GridExControl()->IsBound())
        m_subItemView->GridExControl()->Recordset().Close();
}

void ctlItemEditor::SetPrintTargetForTesting(const QString& pdfPath)
{
    PrintTargetForTesting() = pdfPath;
}
