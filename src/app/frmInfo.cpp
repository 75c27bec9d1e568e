#include "app/frmInfo.h"

#include "app/clsCatalog.h"
#include "app/frmMain.h"
#include "app/frmMessage.h"
#include "controls/WindowHelpers.h"
#include "platform/UserInterface.h"
#include "platform/UserSettings.h"
#include "publish/clsHTMLOutput.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

QList<QColor>& QueuedColors()
{
    static QList<QColor> answers;
    return answers;
}

QPointer<frmInfo> g_open;

constexpr int SmallestSize = 4;
constexpr int LargestSize = 72;

// Colours are stored as integers with red in the lowest byte, as the publishing writer reads them.
QColor StoredColor(const QString& key)
{
    const quint32 value = clsHTMLOutput::StoredColor(key);
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QString ColorValue(const QColor& color)
{
    return QString::number(color.red() | (color.green() << 8) | (color.blue() << 16));
}

QLabel* CaptionBar(const QString& caption)
{
    auto* bar = new QLabel(caption);
    bar->setAutoFillBackground(true);
    bar->setBackgroundRole(QPalette::Mid);
    bar->setForegroundRole(QPalette::BrightText);
    bar->setContentsMargins(4, 2, 4, 2);
    return bar;
}

QLabel* ReadOnlyField(const QString& name)
{
    auto* field = new QLabel;
    field->setObjectName(name);
    field->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return field;
}

} // namespace

void frmInfo::ShowSettings(QWidget* owner, int tab)
{
    QWidget* top = owner ? owner->window() : nullptr;
    auto* dialog = new frmInfo(qobject_cast<frmMain*>(top), top);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (tab >= GeneralTab && tab <= HTMLOutputTab)
        dialog->m_tabs->setCurrentIndex(tab);
    g_open = dialog;
    dialog->exec();
}

frmInfo::frmInfo(frmMain* mainWindow, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_main(mainWindow)
{
    setWindowTitle(QStringLiteral("Settings"));
    setModal(true);
    m_tabs = new QTabWidget;
    m_tabs->addTab(BuildGeneralTab(), QStringLiteral("General"));
    m_tabs->addTab(BuildStatisticsTab(), QStringLiteral("Statistics"));
    m_tabs->addTab(BuildHTMLOutputTab(), QStringLiteral("HTML Output"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &frmInfo::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);

    WindowHelpers::ApplyFont(this);
    for (const auto& category : Catalog().categories())
        m_categories->addItem(category->Name());
    FillStatistics();
    LoadValues();
    m_loading = false;
}

QWidget* frmInfo::BuildGeneralTab()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(CaptionBar(QStringLiteral("Item Editor Pane")));
    auto* paneText = new QLabel(
        QStringLiteral("Use the Item Editor Pane to quickly edit an item without opening a separate window."));
    paneText->setWordWrap(true);
    layout->addWidget(paneText);
    m_showEditor = new QCheckBox(QStringLiteral("Show Item Editor Pane"));
    m_showEditor->setObjectName(QStringLiteral("ShowItemEditorPane"));
    connect(m_showEditor, &QCheckBox::toggled, this, [this](bool checked) {
        // Only the user's change moves the pane, not the tick set while loading.
        if (!m_loading && isVisible() && m_main)
            m_main->SetItemEditorVisible(checked);
    });
    layout->addWidget(m_showEditor);

    layout->addWidget(CaptionBar(QStringLiteral("Program Font")));
    auto* fontText =
        new QLabel(QStringLiteral("Select the font that will be used to display text throughout the program. "
                                  "(Some fonts may not display properly until the program is restarted) "));
    fontText->setWordWrap(true);
    layout->addWidget(fontText);
    m_programFont = new QListWidget;
    m_programFont->setObjectName(QStringLiteral("ProgramFont"));
    m_programFont->setSortingEnabled(true);
    layout->addWidget(m_programFont);

    layout->addWidget(CaptionBar(QStringLiteral("Categories")));
    auto* row = new QHBoxLayout;
    m_categories = new QListWidget;
    m_categories->setObjectName(QStringLiteral("Categories"));
    row->addWidget(m_categories);
    auto* properties = new QPushButton(QStringLiteral("Properties"));
    properties->setObjectName(QStringLiteral("Properties"));
    connect(properties, &QPushButton::clicked, this, [] {
        Ui().ShowMessage(
            QStringLiteral("The category properties dialog is not available yet in this version of Kestrowan."));
    });
    row->addWidget(properties, 0, Qt::AlignTop);
    layout->addLayout(row);
    return page;
}

QWidget* frmInfo::BuildStatisticsTab()
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    m_version = ReadOnlyField(QStringLiteral("Version"));
    m_dataSize = ReadOnlyField(QStringLiteral("DataSize"));
    m_dataPath = ReadOnlyField(QStringLiteral("DataPath"));
    m_password = ReadOnlyField(QStringLiteral("Password"));
    m_lastCompact = ReadOnlyField(QStringLiteral("LastCompact"));
    form->addRow(QStringLiteral("Version:"), m_version);
    form->addRow(QStringLiteral("Data Size:"), m_dataSize);
    form->addRow(QStringLiteral("Data Path:"), m_dataPath);
    form->addRow(QStringLiteral("Password:"), m_password);
    form->addRow(QStringLiteral("Last Compact:"), m_lastCompact);
    return page;
}

QWidget* frmInfo::BuildHTMLOutputTab()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(CaptionBar(QStringLiteral("Colors")));
    auto* colors = new QGridLayout;
    const QList<std::pair<QString, QString>> swatches = {
        {QStringLiteral("ColumnCellColor"), QStringLiteral("Column Cell Color")},
        {QStringLiteral("ColumnTextColor"), QStringLiteral("Column Font Color")},
        {QStringLiteral("InfoCellColor"), QStringLiteral("Text Cell Color")},
        {QStringLiteral("InfoTextColor"), QStringLiteral("Text Font Color")}};
    for (int i = 0; i < swatches.size(); ++i) {
        colors->addWidget(AddSwatch(swatches[i].first), i / 2, (i % 2) * 2);
        colors->addWidget(new QLabel(swatches[i].second), i / 2, (i % 2) * 2 + 1);
    }
    layout->addLayout(colors);

    layout->addWidget(CaptionBar(QStringLiteral("Font")));
    auto* font = new QFormLayout;
    m_htmlFont = new QComboBox;
    m_htmlFont->setObjectName(QStringLiteral("HTMLFont"));
    connect(m_htmlFont, &QComboBox::activated, this,
            [this](int index) { StoreSetting(QStringLiteral("HTMLFont"), m_htmlFont->itemText(index)); });
    m_fontSize = new QComboBox;
    m_fontSize->setObjectName(QStringLiteral("PublishFontSize"));
    for (int size = SmallestSize; size <= LargestSize; ++size)
        m_fontSize->addItem(QString::number(size) + QStringLiteral(" pts"));
    connect(m_fontSize, &QComboBox::activated, this, [this](int index) {
        StoreSetting(QStringLiteral("PublishFontSize"), QString::number(index + SmallestSize));
    });
    font->addRow(QStringLiteral("Font Name:"), m_htmlFont);
    font->addRow(QStringLiteral("Font Size:"), m_fontSize);
    layout->addLayout(font);

    layout->addWidget(CaptionBar(QStringLiteral("Output Type")));
    m_outputType = new QComboBox;
    m_outputType->setObjectName(QStringLiteral("HTMLBodyType"));
    m_outputType->addItems(
        {QStringLiteral("Standard Horizontal List"), QStringLiteral("Title List"), QStringLiteral("Individual Entry")});
    connect(m_outputType, &QComboBox::activated, this,
            [this](int index) { StoreSetting(QStringLiteral("HTMLBodyType"), QString::number(index)); });
    layout->addWidget(m_outputType);
    layout->addStretch();
    return page;
}

QToolButton* frmInfo::AddSwatch(const QString& key)
{
    auto* swatch = new QToolButton;
    swatch->setObjectName(key);
    swatch->setFixedSize(32, 20);
    swatch->setAutoFillBackground(true);
    connect(swatch, &QToolButton::clicked, this, [this, swatch] { PickColor(swatch); });
    return swatch;
}

void frmInfo::FillStatistics()
{
    if (!Catalog().Loaded())
        return;
    const QString path = Catalog().File.Path();
    m_dataPath->setText(path);
    const QFileInfo file(path);
    if (file.exists()) {
        const qint64 bytes = file.size();
        m_dataSize->setText(QString::number(double(bytes) / 1024.0, 'g', 15) + QStringLiteral("KB (") +
                            QString::number(bytes) + QStringLiteral(" bytes)"));
    }
    const QString version = Catalog().Setting(clsCatalog::DataVersion);
    if (!version.isEmpty())
        m_version->setText(version + QStringLiteral(".0"));
    m_password->setText(Catalog().Setting(clsCatalog::PasswordProtected));
    m_lastCompact->setText(Catalog().Setting(clsCatalog::LastCompact));
}

void frmInfo::LoadValues()
{
    m_showEditor->setChecked(m_main && m_main->ItemEditorVisible());

    // Both lists sort what the desktop offers; the current font is found by the start of its name.
    const QStringList families = QFontDatabase::families();
    m_programFont->addItems(families);
    m_htmlFont->addItems(families);
    m_htmlFont->model()->sort(0);
    const QList<QListWidgetItem*> found = m_programFont->findItems(Catalog().FontName(), Qt::MatchStartsWith);
    m_programFont->setCurrentItem(found.isEmpty() ? nullptr : found.first());
    if (found.isEmpty())
        m_programFont->clearSelection();

    const clsHTMLOutput output;
    m_outputType->setCurrentIndex(output.BodyType());
    const int sizeIndex = output.FontSize() - SmallestSize;
    m_fontSize->setCurrentIndex(sizeIndex >= 0 && sizeIndex < m_fontSize->count() ? sizeIndex : -1);
    m_htmlFont->setCurrentIndex(m_htmlFont->findText(output.FontName(), Qt::MatchStartsWith));
    for (const QString& key : {QStringLiteral("ColumnCellColor"), QStringLiteral("InfoCellColor"),
                               QStringLiteral("ColumnTextColor"), QStringLiteral("InfoTextColor")})
        ShowSwatchColor(findChild<QToolButton*>(key), StoredColor(key));
}

void frmInfo::ShowSwatchColor(QToolButton* swatch, const QColor& color)
{
    swatch->setProperty("color", color);
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Button, color);
    palette.setColor(QPalette::Window, color);
    swatch->setPalette(palette);
}

void frmInfo::PickColor(QToolButton* swatch)
{
    const QColor current = swatch->property("color").value<QColor>();
    QColor chosen;
    if (!QueuedColors().isEmpty())
        chosen = QueuedColors().takeFirst();
    else
        chosen = QColorDialog::getColor(current, this);
    if (!chosen.isValid())
        return;
    ShowSwatchColor(swatch, chosen);
    StoreSetting(swatch->objectName(), ColorValue(chosen));
}

void frmInfo::StoreSetting(const QString& key, const QString& value)
{
    if (!m_loading)
        UserSettings::Set(key, value);
}

void frmInfo::accept()
{
    hide();
    const QListWidgetItem* selected = m_programFont->currentItem();
    // With no entry selected the current font is not on this desktop: keep it rather than guess.
    if (selected && selected->isSelected() && selected->text() != Catalog().FontName()) {
        frmMessage::ShowMessage(QStringLiteral("Because of changes to the program font, it is recommended that you "
                                               "restart the program for the most consistent display."),
                                this);
        Catalog().SetFontName(selected->text());
        if (m_main)
            WindowHelpers::ApplyFont(m_main);
    }
    QDialog::accept();
}

void frmInfo::QueueAnswerForTesting(const QColor& color)
{
    QueuedColors().append(color);
}

frmInfo* frmInfo::OpenInstanceForTesting()
{
    return g_open;
}

int frmInfo::CurrentTab() const
{
    return m_tabs->currentIndex();
}
