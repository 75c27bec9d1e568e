#include "app/frmMain.h"

#include "app/ProgramInfo.h"
#include "app/clsCatalog.h"
#include "app/frmAbout.h"
#include "app/frmInfo.h"
#include "app/frmMessage.h"
#include "app/frmOpen.h"
#include "controls/CategoryImageList.h"
#include "controls/IconLibrary.h"
#include "controls/ShellOpen.h"
#include "controls/WindowHelpers.h"
#include "controls/clsCommonDialog.h"
#include "controls/ctlDataGrid.h"
#include "items/GuiEditorWindows.h"
#include "items/ctlItemEditor.h"
#include "items/ctlItemView.h"
#include "model/ItemViewInterface.h"
#include "platform/UserInterface.h"
#include "platform/UserSettings.h"
#include "storage/modDBOperations.h"
#include "tree/ctlSubjectView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

namespace {
QString Plain(QString caption) { return caption.remove(QLatin1Char('&')); }

double Dpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

QLabel* PaneCaption(const QString& text, QWidget* parent)
{
    auto* caption = new QLabel(text, parent);
    caption->setContentsMargins(6, 3, 6, 3);
    caption->setAutoFillBackground(true);
    caption->setBackgroundRole(QPalette::Midlight);
    QFont font = caption->font();
    font.setBold(true);
    caption->setFont(font);
    return caption;
}
} // namespace

int frmMain::TwipsToPixels(int twips) { return qRound(twips * Dpi() / 1440.0); }
int frmMain::PixelsToTwips(int pixels) { return qRound(pixels * 1440.0 / Dpi()); }

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Kestrowan"));
    setWindowIcon(IconLibrary::ApplicationIcon());
    frmMessage::SetMainWindow(this);
    // Categories put their pictures here as they load, so the list is in place before any catalog opens.
    m_images = std::make_unique<CategoryImageList>(this);
    m_editorWindows = std::make_unique<GuiEditorWindows>(this);
    CategoryImageListInterface::SetMain(m_images.get());
    BuildMenus();
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(central);
    BuildCommandRow();
    BuildBody();
    m_subjectView->Setup(m_images.get(),
                         {[this](const QString& caption, const QPixmap& picture) { SetHeader(caption, picture); },
                          [this](bool enabled) {
                              if (QAction* add = Command(QStringLiteral("Add")))
                                  add->setEnabled(enabled);
                          }});
    m_statusText = new QLabel(this);
    m_statusText->setContentsMargins(4, 0, 4, 0);
    statusBar()->addWidget(m_statusText, 1);
    WindowHelpers::ApplyFont(this);
    ReadSettings();
}

frmMain::~frmMain()
{
    frmMessage::SetMainWindow(nullptr);
    if (CategoryImageListInterface::Main() == m_images.get())
        CategoryImageListInterface::SetMain(nullptr);
    if (ItemViewInterface::Main() == m_itemView)
        ItemViewInterface::SetMain(nullptr);
}

QAction* frmMain::AddCommand(QMenu* menu, const QString& caption, const QString& icon, const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(IconLibrary::Icon(icon), caption);
    action->setObjectName(Plain(caption));
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::ApplicationShortcut);
        addAction(action); // shortcuts work while the menu is closed
    }
    m_commands << action;
    return action;
}

QAction* frmMain::Command(const QString& caption) const
{
    for (QAction* action : m_commands)
        if (action->objectName() == Plain(caption))
            return action;
    return nullptr;
}

void frmMain::NotAvailableYet(const QString& feature)
{
    frmMessage::ShowMessage(QStringLiteral("%1 is not available yet in this version of Kestrowan.").arg(feature), this);
}

void frmMain::BuildMenus()
{
    m_catalogMenu = new QMenu(QStringLiteral("&Catalog"), this);
    connect(AddCommand(m_catalogMenu, QStringLiteral("&Open"), QStringLiteral("Open"), QKeySequence(QStringLiteral("Ctrl+O"))),
            &QAction::triggered, this, &frmMain::ShowOpenDialog);
    QAction* close = AddCommand(m_catalogMenu, QStringLiteral("&Close"), QStringLiteral("Close"));
    close->setEnabled(false);
    connect(close, &QAction::triggered, this, [] { Catalog().SetLoaded(false); });
    m_catalogMenu->addSeparator();
    connect(AddCommand(m_catalogMenu, QStringLiteral("&Quick Search..."), QStringLiteral("Search")), &QAction::triggered,
            this, [this] {
                if (Catalog().Loaded())
                    NotAvailableYet(QStringLiteral("Quick search"));
            });
    connect(AddCommand(m_catalogMenu, QStringLiteral("&Advanced Search...")), &QAction::triggered, this, [this] {
        if (!m_subjectView->Selected())
            frmMessage::ShowMessage(QStringLiteral("Please make sure a category or subject is selected before searching"), this);
        else
            NotAvailableYet(QStringLiteral("Advanced search"));
    });
    m_catalogMenu->addSeparator();
    connect(AddCommand(m_catalogMenu, QStringLiteral("Repair/&Compact")), &QAction::triggered, this, &frmMain::RepairCompact);
    connect(AddCommand(m_catalogMenu, QStringLiteral("&Settings"), QStringLiteral("Settings")), &QAction::triggered, this,
            [this] { frmInfo::ShowSettings(this, frmInfo::GeneralTab); });
    m_catalogMenu->addSeparator();
    m_utilitiesMenu = m_catalogMenu->addMenu(QStringLiteral("&Utilities"));
    connect(AddCommand(m_utilitiesMenu, QStringLiteral("&Import"), QStringLiteral("Import")), &QAction::triggered, this,
            [this] { NotAvailableYet(QStringLiteral("Importing")); });
    connect(AddCommand(m_utilitiesMenu, QStringLiteral("&Export"), QStringLiteral("Export")), &QAction::triggered, this,
            [this] { NotAvailableYet(QStringLiteral("Exporting")); });
    m_utilitiesMenu->addSeparator();
    connect(AddCommand(m_utilitiesMenu, QStringLiteral("Search and Replace..."), QStringLiteral("Search and Replace")),
            &QAction::triggered, this, [this] { NotAvailableYet(QStringLiteral("Search and replace")); });
    connect(AddCommand(m_utilitiesMenu, QStringLiteral("&Dewey Decimal..."), QStringLiteral("Dewey")), &QAction::triggered,
            this, [this] { NotAvailableYet(QStringLiteral("The Dewey decimal tool")); });
    m_utilitiesMenu->addSeparator();
    QAction* password = AddCommand(m_utilitiesMenu, QStringLiteral("Set &Password"), QStringLiteral("Password"));
    password->setObjectName(QStringLiteral("Password"));
    password->setData(QStringLiteral("2"));
    connect(password, &QAction::triggered, this, [this] { NotAvailableYet(QStringLiteral("Password protection")); });
    m_catalogMenu->addSeparator();
    connect(AddCommand(m_catalogMenu, QStringLiteral("E&xit"), QStringLiteral("Exit")), &QAction::triggered, this,
            &QWidget::close);

    m_helpMenu = new QMenu(QStringLiteral("&Help"), this);
    connect(AddCommand(m_helpMenu, QStringLiteral("&Contents"), QStringLiteral("Help")), &QAction::triggered, this, [this] {
        const QString guide = QCoreApplication::applicationDirPath() + QStringLiteral("/help/index.html");
        if (!QFile::exists(guide) || !ShellOpen::Open(guide))
            frmMessage::ShowMessage(QStringLiteral("The user guide could not be opened (%1).").arg(guide), this);
    });
    m_helpMenu->addSeparator();
    connect(AddCommand(m_helpMenu, QStringLiteral("&Home Page"), QStringLiteral("Home Page")), &QAction::triggered, this,
            [] { ShellOpen::Open(ProgramInfo::HomePage()); });
    connect(AddCommand(m_helpMenu, QStringLiteral("&Email Us"), QStringLiteral("Email")), &QAction::triggered, this,
            [] { ShellOpen::Open(QStringLiteral("mailto:") + ProgramInfo::SupportAddress()); });
    m_helpMenu->addSeparator();
    connect(AddCommand(m_helpMenu, QStringLiteral("&About"), QStringLiteral("About")), &QAction::triggered, this, [this] {
        frmAbout about(this);
        about.exec();
    });
}

QToolButton* frmMain::MenuButton(const QString& caption) const
{
    for (QToolButton* button : m_menuButtons)
        if (Plain(button->text()) == Plain(caption))
            return button;
    return nullptr;
}

void frmMain::BuildCommandRow()
{
    auto* row = new QFrame(centralWidget());
    row->setObjectName(QStringLiteral("CommandRow"));
    row->setFrameShape(QFrame::NoFrame);
    row->setFixedHeight(std::max(TwipsToPixels(525), 32));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(TwipsToPixels(60));
    // "&Actions" carries the item view's own menu, attached once the view exists.
    for (QMenu* menu : {m_catalogMenu, static_cast<QMenu*>(nullptr), m_helpMenu}) {
        auto* button = new QToolButton(row);
        button->setText(menu ? menu->title() : QStringLiteral("&Actions"));
        button->setMenu(menu);
        button->setPopupMode(QToolButton::InstantPopup);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setAutoRaise(true);
        button->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0px; }"));
        layout->addWidget(button);
        m_menuButtons << button;
    }
    auto* line = new QFrame(row);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);
    BuildToolbar(row);
    layout->addStretch(1);
    static_cast<QVBoxLayout*>(centralWidget()->layout())->addWidget(row);

    auto* header = new QFrame(centralWidget());
    header->setObjectName(QStringLiteral("InformationHeader"));
    header->setFrameShape(QFrame::StyledPanel);
    header->setAutoFillBackground(true);
    header->setBackgroundRole(QPalette::Base);
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(8, 4, 8, 4);
    m_headerPicture = new QLabel(header);
    m_headerPicture->setFixedSize(16, 16);
    m_headerCaption = new QLabel(QStringLiteral("Subject View"), header);
    QFont font = m_headerCaption->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.3);
    m_headerCaption->setFont(font);
    headerLayout->addWidget(m_headerPicture);
    headerLayout->addWidget(m_headerCaption, 1);
    static_cast<QVBoxLayout*>(centralWidget()->layout())->addWidget(header);
}

void frmMain::BuildToolbar(QWidget* row)
{
    auto* toolbar = new QToolBar(row);
    toolbar->setObjectName(QStringLiteral("Toolbar"));
    toolbar->setIconSize(QSize(16, 16));
    toolbar->setStyleSheet(QStringLiteral("QToolBar { border: none; }"));
    auto addButton = [&](const QString& key, const QString& tooltip, auto handler) {
        QAction* action = toolbar->addAction(IconLibrary::Icon(key), tooltip);
        action->setObjectName(key);
        action->setToolTip(tooltip);
        connect(action, &QAction::triggered, this, handler);
        m_commands << action;
        return action;
    };
    auto addDropDown = [&](QAction* action, const QList<std::pair<QString, QString>>& entries, auto handler) {
        auto* menu = new QMenu(this);
        for (const auto& [caption, key] : entries) {
            QAction* entry = menu->addAction(caption);
            entry->setObjectName(key);
            connect(entry, &QAction::triggered, this, [handler, key] { handler(key); });
        }
        action->setMenu(menu);
        if (auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(action)))
            button->setPopupMode(QToolButton::MenuButtonPopup);
    };
    QAction* refresh = addButton(QStringLiteral("Refresh"), QStringLiteral("Refresh"), [this] { RefreshRight(); });
    addDropDown(refresh, {{QStringLiteral("&Item View"), QStringLiteral("Item View")}, {QStringLiteral("&Subject View"), QStringLiteral("Subject View")}},
                [this](const QString& key) {
                    if (key == QLatin1String("Item View"))
                        RefreshRight();
                    else
                        m_subjectView->Collapse();
                });
    addButton(QStringLiteral("Expanded Tree"), QStringLiteral("Expand Subjects"), [this] { m_subjectView->Expand(); });
    toolbar->addSeparator();
    addButton(QStringLiteral("Add"), QStringLiteral("Add Item"), [this] { m_itemView->AddItem(); });
    addButton(QStringLiteral("Delete"), QStringLiteral("Delete Item(s)"), [this] { m_itemView->DeleteSelected(); });
    toolbar->addSeparator();
    addButton(QStringLiteral("Move to Folder"), QStringLiteral("Move to Subject..."), [this] { m_itemView->MoveToSubject(); });
    toolbar->addSeparator();
    addButton(QStringLiteral("Columns"), QStringLiteral("Column Manager"), [this] { m_itemView->ShowColumnManager(); });
    addButton(QStringLiteral("Properties"), QStringLiteral("Properties"), [this] { m_subjectView->Properties(); });
    toolbar->addSeparator();
    QAction* search = addButton(QStringLiteral("Search"), QStringLiteral("Search"), [this] { Command(QStringLiteral("Quick Search..."))->trigger(); });
    addDropDown(search, {{QStringLiteral("&Quick Search"), QStringLiteral("Quick Search")}, {QStringLiteral("&Advanced Search"), QStringLiteral("Advanced Search")}},
                [this](const QString& key) {
                    Command(key == QLatin1String("Quick Search") ? QStringLiteral("Quick Search...")
                                                                 : QStringLiteral("Advanced Search..."))
                        ->trigger();
                });
    row->layout()->addWidget(toolbar);
}

void frmMain::BuildBody()
{
    m_vertical = new QSplitter(Qt::Horizontal, centralWidget());
    m_vertical->setObjectName(QStringLiteral("VerticalSplitter"));
    m_vertical->setChildrenCollapsible(false);
    m_vertical->setHandleWidth(4);

    m_subjectView = new ctlSubjectView(m_vertical);
    m_subjectView->SetCaption(QStringLiteral("Subjects"));
    m_subjectView->setMinimumWidth(TwipsToPixels(400));

    m_horizontal = new QSplitter(Qt::Vertical, m_vertical);
    m_horizontal->setObjectName(QStringLiteral("HorizontalSplitter"));
    m_horizontal->setChildrenCollapsible(false);
    m_horizontal->setHandleWidth(4);
    // The splitter's left edge may come within 400 twips of the window's right edge, the bar included.
    m_horizontal->setMinimumWidth(std::max(1, TwipsToPixels(400) - m_vertical->handleWidth()));
    m_itemViewPane = new QFrame(m_horizontal);
    m_itemViewPane->setObjectName(QStringLiteral("ItemView"));
    static_cast<QFrame*>(m_itemViewPane)->setFrameShape(QFrame::StyledPanel);
    m_itemViewPane->setAutoFillBackground(true);
    m_itemViewPane->setBackgroundRole(QPalette::Base);
    new QVBoxLayout(m_itemViewPane);
    m_itemViewPane->layout()->setContentsMargins(0, 0, 0, 0);
    m_itemView = new ctlItemView(m_itemViewPane);
    m_itemView->setObjectName(QStringLiteral("ItemViewControl"));
    m_itemViewPane->layout()->addWidget(m_itemView);
    m_itemView->Setup();
    connect(m_itemView, &ctlItemView::UpdateCount, this, &frmMain::UpdateCount);
    ItemViewInterface::SetMain(m_itemView);
    m_actionsMenu = m_itemView->Menu();
    if (QToolButton* actions = MenuButton(QStringLiteral("&Actions")))
        actions->setMenu(m_actionsMenu);

    m_editorPane = new QFrame(m_horizontal);
    m_editorPane->setObjectName(QStringLiteral("ItemEditor"));
    auto* editorLayout = new QVBoxLayout(m_editorPane);
    editorLayout->setContentsMargins(0, 0, 0, 0);
    editorLayout->setSpacing(0);
    auto* editorBar = new QWidget(m_editorPane);
    auto* barLayout = new QHBoxLayout(editorBar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->addWidget(PaneCaption(QStringLiteral("Item"), editorBar), 1);
    auto* closeButton = new QToolButton(editorBar);
    closeButton->setObjectName(QStringLiteral("EditorClose"));
    closeButton->setAutoRaise(true);
    closeButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    closeButton->setToolTip(QStringLiteral("Close"));
    connect(closeButton, &QToolButton::clicked, this, [this] { SetItemEditorVisible(false); });
    barLayout->addWidget(closeButton);
    editorLayout->addWidget(editorBar);
    // The pane's own bar carries the close button; the editor's stays hidden here.
    m_itemEditor = new ctlItemEditor(m_editorPane);
    m_itemEditor->setObjectName(QStringLiteral("ItemEditorControl"));
    m_itemEditor->SetCloseButtonVisible(false);
    m_itemEditor->Setup();
    editorLayout->addWidget(m_itemEditor, 1);
    connect(m_itemEditor, &ctlItemEditor::CloseClick, this, [this] { SetItemEditorVisible(false); });
    connect(m_itemView, &ctlItemView::Click, this, &frmMain::ShowItemInEditor);
    connect(m_itemView, &ctlItemView::DeleteConfirmed, m_itemEditor, &ctlItemEditor::Reset);
    // A value changed in the pane's card shows in the list at once.
    connect(m_itemEditor->ValueView()->GridExControl(), &ctlDataGrid::CellCommitted, this, [this] {
        if (m_itemView->GridExControl()->IsBound())
            m_itemView->GridExControl()->Refetch();
    });
    m_itemViewPane->setMinimumHeight(TwipsToPixels(600));
    m_editorPane->setMinimumHeight(TwipsToPixels(600));

    m_vertical->setStretchFactor(0, 0);
    m_vertical->setStretchFactor(1, 1);
    connect(m_horizontal, &QSplitter::splitterMoved, this, [this](int, int) { KeepHorizontalRatio(); });
    connect(m_vertical, &QSplitter::splitterMoved, this, [this](int, int) { SetVerticalSplit(VerticalSplit()); });
    static_cast<QVBoxLayout*>(centralWidget()->layout())->addWidget(m_vertical, 1);
}

int frmMain::VerticalSplit() const
{
    const int left = m_vertical->mapTo(this, QPoint(0, 0)).x() + m_vertical->sizes().value(0);
    return PixelsToTwips(left);
}

void frmMain::SetVerticalSplit(int twips)
{
    const int maximum = PixelsToTwips(width()) - 400;
    const int clamped = std::max(400, std::min(twips, std::max(400, maximum)));
    const int total = m_vertical->sizes().value(0) + m_vertical->sizes().value(1);
    const int left = TwipsToPixels(clamped) - m_vertical->mapTo(this, QPoint(0, 0)).x();
    if (total > 0)
        m_vertical->setSizes({left, std::max(1, total - left)});
    else
        m_vertical->setSizes({left, 1000});
}

int frmMain::HorizontalSplit() const
{
    return PixelsToTwips(m_horizontal->mapTo(this, QPoint(0, 0)).y() + m_horizontal->sizes().value(0));
}

void frmMain::SetHorizontalSplit(int twips)
{
    const int maximum = PixelsToTwips(height()) - 1200;
    const int clamped = std::max(1200, std::min(twips, std::max(1200, maximum)));
    const int top = TwipsToPixels(clamped) - m_horizontal->mapTo(this, QPoint(0, 0)).y();
    const int total = RightHeightPixels();
    m_horizontal->setSizes({std::max(1, top), std::max(1, total - top)});
    KeepHorizontalRatio();
}

int frmMain::RightHeightPixels() const
{
    const QList<int> sizes = m_horizontal->sizes();
    return sizes.value(0) + sizes.value(1);
}

void frmMain::KeepHorizontalRatio()
{
    const int total = RightHeightPixels();
    if (total > 0 && m_editorPane->isVisible())
        m_horizontalRatio = double(m_horizontal->sizes().value(0)) / double(total);
}

bool frmMain::ItemEditorVisible() const { return !m_editorPane->isHidden(); }

void frmMain::ShowItemInEditor(int itemId)
{
    if (m_editorPane->isHidden())
        return;
    m_itemEditor->Reset();
    if (itemId != 0) {
        m_itemEditor->SetSubject(m_itemView->ItemSubject());
        m_itemEditor->SetID(itemId);
    }
    m_itemEditor->Refresh();
}

void frmMain::SetItemEditorVisible(bool visible)
{
    if (!visible)
        m_itemEditor->Reset(); // a hidden pane holds nothing unsaved
    m_editorPane->setVisible(visible);
    if (visible) {
        const int total = std::max(1, m_horizontal->height());
        m_horizontal->setSizes({int(total * m_horizontalRatio), total - int(total * m_horizontalRatio)});
        RefreshRight();
    }
}

void frmMain::UpdateCount(int count)
{
    m_statusText->setText(QString::number(count) + (count == 1 ? QStringLiteral(" Item") : QStringLiteral(" Items")));
}

QString frmMain::StatusText() const { return m_statusText->text(); }
QString frmMain::HeaderCaption() const { return m_headerCaption->text(); }

void frmMain::SetHeader(const QString& caption, const QPixmap& picture)
{
    m_headerCaption->setText(caption);
    m_headerPicture->setPixmap(picture);
}

void frmMain::RefreshRight()
{
    m_itemEditor->Reset();
    m_itemView->Reset(true);
    m_itemView->RefreshView();
}

void frmMain::ResetItemViews()
{
    // The close sequence: the pane saves its item, and the view lets go of its subject and rows, before the
    // file closes.
    m_itemEditor->Reset();
    m_itemView->Reset(false);
}

void frmMain::EnableCatalogCommands(bool enabled)
{
    for (const QString& caption : {QStringLiteral("&Settings"), QStringLiteral("&Import"), QStringLiteral("&Export"),
                                   QStringLiteral("Search and Replace..."), QStringLiteral("&Quick Search..."),
                                   QStringLiteral("&Advanced Search..."), QStringLiteral("Password")})
        if (QAction* action = Command(caption))
            action->setEnabled(enabled);
}

void frmMain::SetCloseCommandEnabled(bool enabled) { Command(QStringLiteral("Close"))->setEnabled(enabled); }
void frmMain::SetRepairCommandEnabled(bool enabled) { Command(QStringLiteral("Repair/Compact"))->setEnabled(enabled); }

void frmMain::SetPasswordCommand(const QString& caption, const QString& tag)
{
    QAction* password = Command(QStringLiteral("Password"));
    password->setText(caption);
    password->setData(tag);
}

void frmMain::UnloadSecondaryForms()
{
    // Most recently opened first; the main window stays.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        QWidget* window = *it;
        if (window == this || !window->isWindow() || qobject_cast<QMenu*>(window) || !window->isVisible())
            continue;
        if (auto* dialog = qobject_cast<QDialog*>(window))
            dialog->reject();
        window->close();
    }
}

void frmMain::ClearTexts()
{
    m_statusText->clear();
    setWindowTitle(QStringLiteral("Kestrowan"));
    SetHeader(QStringLiteral("Subject View"), QPixmap());
}

void frmMain::SetSubjectViewEnabled(bool enabled) { m_subjectView->SetEnabled(enabled); }

void frmMain::ShowOpenDialog()
{
    frmOpen dialog(this);
    Ui().ProcessEvents();
    dialog.exec();
}

void frmMain::RepairCompact()
{
    clsCommonDialog chooser;
    chooser.DialogTitle = QStringLiteral("Repair/Compact Kestrowan File");
    chooser.Filter = QStringLiteral("Kestrowan Files (*.kst)|*.kst");
    chooser.InitDir = QCoreApplication::applicationDirPath();
    const clsFile file = chooser.ShowOpen(this);
    DbError error;
    bool done = false;
    {
        BusyPointer busy;
        done = modDBOperations::CompactCatalogFile(file, &error);
    }
    if (done)
        frmMessage::ShowMessage(QStringLiteral("The file has been successfully repaired and compacted."), this,
                                frmMessage::OkMessage, QStringLiteral("Repair/Compact"));
    else if (!error.message.isEmpty()) // a cancelled chooser is refused without a word
        frmMessage::ShowMessage(error.message, this, frmMessage::OkMessage, QStringLiteral("Repair/Compact"));
}

void frmMain::ReadSettings()
{
    const int vertical = UserSettings::Get(QStringLiteral("VerticalSplit"), QStringLiteral("2500")).toInt();
    const int horizontal = UserSettings::Get(QStringLiteral("HorizontalSplit"), QStringLiteral("5000")).toInt();
    const int formWidth = UserSettings::Get(QStringLiteral("FormWidth"), QStringLiteral("8000")).toInt();
    const int formHeight = UserSettings::Get(QStringLiteral("FormHeight"), QStringLiteral("7000")).toInt();
    const int state = UserSettings::Get(QStringLiteral("WindowState"), QStringLiteral("2")).toInt();
    const bool editorVisible =
        UserSettings::Get(QStringLiteral("ItemEditorVisible"), QStringLiteral("True")).compare(QLatin1String("False"), Qt::CaseInsensitive) != 0;
    resize(std::max(TwipsToPixels(formWidth), 400), std::max(TwipsToPixels(formHeight), 300));
    centralWidget()->layout()->activate();
    SetVerticalSplit(vertical > 0 ? vertical : 2500);
    SetHorizontalSplit(horizontal > 0 ? horizontal : 5000);
    if (state == 2)
        setWindowState(Qt::WindowMaximized);
    else if (state == 1)
        setWindowState(Qt::WindowMinimized);
    SetItemEditorVisible(editorVisible);
    KeepHorizontalRatio();
}

void frmMain::SaveSettings()
{
    const bool minimized = isMinimized();
    const bool maximized = isMaximized();
    if (!minimized) {
        UserSettings::Set(QStringLiteral("VerticalSplit"), QString::number(VerticalSplit()));
        UserSettings::Set(QStringLiteral("WindowState"), maximized ? QStringLiteral("2") : QStringLiteral("0"));
        if (!maximized) {
            UserSettings::Set(QStringLiteral("FormWidth"), QString::number(PixelsToTwips(width())));
            UserSettings::Set(QStringLiteral("FormHeight"), QString::number(PixelsToTwips(height())));
        }
    }
    UserSettings::Set(QStringLiteral("ItemEditorVisible"), ItemEditorVisible() ? QStringLiteral("True") : QStringLiteral("False"));
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (!m_closing) {
        m_closing = true;
        BusyPointer busy;
        Catalog().SetLoaded(false);
        SaveSettings();
    }
    event->accept();
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (isMinimized() || !isVisible())
        return;
    centralWidget()->layout()->activate();
    if (m_editorPane->isVisible()) {
        const int total = RightHeightPixels();
        const int top = int(total * m_horizontalRatio);
        m_horizontal->setSizes({top, total - top});
    }
    if (VerticalSplit() > PixelsToTwips(width()) - 400)
        SetVerticalSplit(PixelsToTwips(width()) - 400);
}
