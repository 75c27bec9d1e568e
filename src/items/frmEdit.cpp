#include "items/frmEdit.h"

#include "app/clsCatalog.h"
#include "controls/ctlDataGrid.h"
#include "controls/GridTwips.h"
#include "controls/WindowHelpers.h"
#include "items/ctlItemEditor.h"
#include "items/ctlItemView.h"
#include "model/Category.h"
#include "model/ItemViewInterface.h"
#include "model/Subject.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QVBoxLayout>

frmEdit::frmEdit(const Subject& subject, int itemId, bool isNew, QWidget* owner)
    : QWidget(owner, Qt::Window), m_itemId(itemId)
{
    setAttribute(Qt::WA_DeleteOnClose);
    if (Category* category = subject.category())
        m_categoryId = category->ID();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    m_editor = new ctlItemEditor(this);
    m_editor->SetCloseButtonVisible(false);
    layout->addWidget(m_editor);
    connect(m_editor, &ctlItemEditor::TitleChange, this, &QWidget::setWindowTitle);
    WindowHelpers::ApplyFont(this);
    m_editor->Setup();

    // Size and state as the last editor window was left, centred on the main window.
    const int width = std::max(200, GridTwips::ToPixelsX(Catalog().Setting(clsCatalog::ItemEditorWidth).toInt(), this));
    const int height = std::max(150, GridTwips::ToPixelsY(Catalog().Setting(clsCatalog::ItemEditorHeight).toInt(), this));
    resize(width, height);
    if (owner)
        move(owner->geometry().center() - QPoint(width / 2, height / 2));
    const int state = Catalog().Setting(clsCatalog::ItemEditorWindowState).toInt();
    if (state == 2)
        setWindowState(Qt::WindowMaximized);

    m_editor->SetSubject(subject);
    m_editor->IsNew = isNew;
    m_editor->SetID(itemId);
}

frmEdit::~frmEdit() = default;

void frmEdit::closeEvent(QCloseEvent* event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    m_closed = true;
    hide();
    QCoreApplication::processEvents();
    m_editor->Reset(); // saves
    m_editor->TerminateMe();
    if (Catalog().Loaded() && !(windowState() & Qt::WindowMinimized)) {
        const bool maximized = windowState() & Qt::WindowMaximized;
        Catalog().SetSetting(clsCatalog::ItemEditorWindowState, maximized ? 2 : 0);
        if (!maximized) {
            Catalog().SetSetting(clsCatalog::ItemEditorHeight, GridTwips::FromPixelsY(height(), this));
            Catalog().SetSetting(clsCatalog::ItemEditorWidth, GridTwips::FromPixelsX(width(), this));
        }
    }
    // The item list shows what was saved: a new item's values, and an existing item's changed ones too.
    if (auto* list = dynamic_cast<ctlItemView*>(ItemViewInterface::Main()))
        if (list->HasSubject() && list->subject()->category() && list->subject()->category()->ID() == m_categoryId &&
            list->GridExControl()->IsBound())
            list->GridExControl()->Refetch();
    event->accept();
}
