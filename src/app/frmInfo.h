#pragma once
#include <QColor>
#include <QDialog>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QTabWidget;
class QToolButton;
class frmMain;

// "Settings": the item editor pane switch and the program font, facts about the open catalog file, and the
// publishing options. Publishing options are stored the moment they change; OK only applies the program font.
class frmInfo : public QDialog
{
    Q_OBJECT

public:
    enum Tab { GeneralTab = 0, StatisticsTab = 1, HTMLOutputTab = 2 };

    // Opens the dialog modally over owner's main window on that tab. Both the main window's menu and the
    // item view's Publish menu come here.
    static void ShowSettings(QWidget* owner, int tab = GeneralTab);

    // mainWindow may be null (no pane switch then); the tabs are filled at once.
    explicit frmInfo(frmMain* mainWindow, QWidget* owner = nullptr);

    // Tests answer the colour dialog in advance: while answers are queued, each swatch click takes the next
    // one without showing the dialog (an invalid colour = cancelled).
    static void QueueAnswerForTesting(const QColor& color);
    // The dialog ShowSettings has open, for tests that work it.
    static frmInfo* OpenInstanceForTesting();

    int CurrentTab() const;

    // Hides the dialog and applies a newly chosen program font.
    void accept() override;

private:
    QWidget* BuildGeneralTab();
    QWidget* BuildStatisticsTab();
    QWidget* BuildHTMLOutputTab();
    QToolButton* AddSwatch(const QString& key);
    void FillStatistics();
    void LoadValues();
    void PickColor(QToolButton* swatch);
    void ShowSwatchColor(QToolButton* swatch, const QColor& color);
    void StoreSetting(const QString& key, const QString& value);

    QPointer<frmMain> m_main;
    QTabWidget* m_tabs = nullptr;
    QCheckBox* m_showEditor = nullptr;
    QListWidget* m_programFont = nullptr;
    QListWidget* m_categories = nullptr;
    QLabel* m_version = nullptr;
    QLabel* m_dataSize = nullptr;
    QLabel* m_dataPath = nullptr;
    QLabel* m_password = nullptr;
    QLabel* m_lastCompact = nullptr;
    QComboBox* m_htmlFont = nullptr;
    QComboBox* m_fontSize = nullptr;
    QComboBox* m_outputType = nullptr;
    // While the controls take their first values nothing is stored and the pane is left alone.
    bool m_loading = true;
};
