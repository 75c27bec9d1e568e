#include "app/frmOpen.h"

#include "app/ProgramInfo.h"
#include "app/clsCatalog.h"
#include "app/frmMessage.h"
#include "app/modFileOperations.h"
#include "controls/IconLibrary.h"
#include "controls/ShellOpen.h"
#include "controls/WindowHelpers.h"
#include "controls/clsCommonDialog.h"
#include "platform/UserInterface.h"
#include "storage/modDBCreation.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString MoreFiles = QStringLiteral("More Files...");
}

frmOpen::frmOpen(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Kestrowan"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    auto* layout = new QVBoxLayout(this);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("TabStrip"));
    m_files = new QListWidget;
    m_files->setObjectName(QStringLiteral("FileListView"));
    m_files->setViewMode(QListView::IconMode);
    m_files->setIconSize(QSize(32, 32));
    m_files->setGridSize(QSize(112, 72));
    m_files->setResizeMode(QListView::Adjust);
    m_files->setMovement(QListView::Static);
    m_files->setWordWrap(true);
    m_files->setFrameShape(QFrame::StyledPanel);
    m_tabs->addTab(m_files, QStringLiteral("Open Existing"));

    auto* newPage = new QWidget;
    auto* newLayout = new QVBoxLayout(newPage);
    m_plugins = new QTreeWidget(newPage);
    m_plugins->setObjectName(QStringLiteral("Plugins"));
    m_plugins->setHeaderLabels({QStringLiteral("Category templates")});
    m_plugins->setRootIsDecorated(false);
    m_plugins->header()->setStretchLastSection(true);
    newLayout->addWidget(m_plugins, 1);
    m_hyper = new QLabel(QStringLiteral("<a href=\"%1\">Download More Categories!</a>").arg(ProgramInfo::TemplatesPage()),
                         newPage);
    m_hyper->setObjectName(QStringLiteral("Hyper"));
    connect(m_hyper, &QLabel::linkActivated, this, [](const QString& url) { ShellOpen::Open(url); });
    newLayout->addWidget(m_hyper);
    m_status = new QLabel(newPage);
    m_status->setObjectName(QStringLiteral("lblStat"));
    m_status->hide();
    newLayout->addWidget(m_status);
    m_tabs->addTab(newPage, QStringLiteral("New Kestrowan File"));
    layout->addWidget(m_tabs, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(tr("&OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Cancel"));
    layout->addWidget(buttons);
    connect(ok, &QPushButton::clicked, this, &frmOpen::OkClicked);
    connect(cancel, &QPushButton::clicked, this, &frmOpen::CancelClicked);
    connect(m_tabs, &QTabWidget::currentChanged, this, &frmOpen::TabChanged);
    connect(m_files, &QListWidget::itemDoubleClicked, this, &frmOpen::OpenEntry);

    WindowHelpers::ApplyFont(this);
    FillFileList();
    TabChanged(0);
    resize(460, 340);
}

void frmOpen::FillFileList()
{
    const QString last = Catalog().LastDirectory();
    m_folder = QDir(last).exists() ? QDir(last).absolutePath() : QDir::currentPath();
    m_files->clear();
    const QIcon icon = IconLibrary::Icon(QStringLiteral("Open Book"));
    m_files->addItem(new QListWidgetItem(IconLibrary::Icon(QStringLiteral("Open")), MoreFiles));
    const QStringList names = QDir(m_folder).entryList({QStringLiteral("*.kst"), QStringLiteral("*.kxo")},
                                                       QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
    for (const QString& name : names)
        m_files->addItem(new QListWidgetItem(icon, name));
}

void frmOpen::TabChanged(int index)
{
    m_hyper->setVisible(index == 1);
    if (index == 1 && !m_pluginsFilled) {
        // Category templates join the list once the template support is in place; the list is filled once.
        m_pluginsFilled = true;
    }
}

void frmOpen::OkClicked()
{
    if (m_tabs->currentIndex() == 0)
        OpenEntry(m_files->currentItem() && m_files->currentItem()->isSelected() ? m_files->currentItem() : nullptr);
    else
        CreateNewCatalog();
}

void frmOpen::CancelClicked()
{
    if (!Catalog().Loaded())
        Ui().EnableCatalogCommands(false);
    reject();
}

void frmOpen::OpenEntry(QListWidgetItem* entry)
{
    if (!entry)
        return;
    clsFile file;
    if (entry->text() == MoreFiles) {
        clsCommonDialog chooser;
        chooser.DialogTitle = QStringLiteral("Open Kestrowan File");
        chooser.Filter = QStringLiteral("Kestrowan Files (*.kst)|*.kst;*.kxo");
        chooser.InitDir = Catalog().LastDirectory();
        file = chooser.ShowOpen(this);
    } else {
        file.SetPath(QDir(m_folder).filePath(entry->text()));
    }
    accept();
    Ui().ProcessEvents();
    Catalog().OpenCatalog(file);
}

void frmOpen::CreateNewCatalog()
{
    clsFile file;
    for (;;) {
        clsCommonDialog chooser;
        chooser.DialogTitle = QStringLiteral("Create New Kestrowan File");
        chooser.Filter = QStringLiteral("Kestrowan Files (*.kst)|*.kst");
        chooser.InitDir = Catalog().LastDirectory();
        chooser.DefaultExt = QStringLiteral("kst");
        file = chooser.ShowSave(this);
        if (!file.Valid())
            return; // cancelled: the dialog stays open
        file.SetPath(file.Path(), QStringLiteral("kst"));
        if (!modFileOperations::FileExists(file.Path()))
            break;
        frmMessage::ShowMessage(QStringLiteral("A file with this name already exists, please choose a different name."),
                                this);
    }
    Ui().ProcessEvents();
    {
        BusyPointer busy;
        m_hyper->hide();
        m_status->show();
        // An empty file of that name (a zero-length file counts as absent) is replaced by the new catalog.
        if (QFileInfo(file.Path()).exists() && QFileInfo(file.Path()).size() == 0)
            QFile::remove(file.Path());
        if (DbError error = modDBCreation::CreateCatalogFile(file.Path())) {
            m_status->hide();
            m_hyper->show();
            frmMessage::ShowMessage(QStringLiteral("The catalog '%1' could not be created.\n\n%2").arg(file.Path(), error.message),
                                    this);
            return;
        }
        // Templates chosen on this page are imported here, into the new file, once template support exists.
        m_status->hide();
    }
    accept();
    Ui().ProcessEvents();
    Catalog().OpenCatalog(file);
}
