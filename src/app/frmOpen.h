#pragma once
#include <QDialog>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTreeWidget;

// The open dialog: open a catalog of the last folder (or any other through "More Files..."), or create a
// new one, optionally with categories from templates.
class frmOpen : public QDialog {
    Q_OBJECT

public:
    explicit frmOpen(QWidget* owner);

    QTabWidget* TabStrip() const { return m_tabs; }
    QListWidget* FileListView() const { return m_files; }
    QTreeWidget* Plugins() const { return m_plugins; }
    // The folder whose catalogs are listed: the last folder, or the current one when that is gone.
    QString ListedFolder() const { return m_folder; }

    void OkClicked();
    void CancelClicked();

private:
    void FillFileList();
    void TabChanged(int index);
    void OpenEntry(QListWidgetItem* entry);
    void CreateNewCatalog();

    QTabWidget* m_tabs;
    QListWidget* m_files;
    QTreeWidget* m_plugins;
    QLabel* m_hyper;
    QLabel* m_status;
    QString m_folder;
    bool m_pluginsFilled = false;
};
