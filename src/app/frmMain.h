#pragma once
#include <QMainWindow>

#include <memory>

class CategoryImageList;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QSplitter;
class QToolButton;
class GuiEditorWindows;
class ctlItemEditor;
class ctlItemView;
class ctlSubjectView;

// The main window: command row (menu buttons and toolbar), information header, subject view on the left,
// item view and item editor pane on the right, status bar. Positions at its API are in twips.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Splitter positions: the vertical splitter's left edge and the horizontal splitter's top edge, in the
    // window's coordinates. Setting clamps them as dragging does.
    int VerticalSplit() const;
    void SetVerticalSplit(int twips);
    int HorizontalSplit() const;
    void SetHorizontalSplit(int twips);
    bool ItemEditorVisible() const;
    void SetItemEditorVisible(bool visible);
    // The item view's count, shown in the status bar ("1 Item", "0 Items").
    void UpdateCount(int count);
    QString StatusText() const;
    QString HeaderCaption() const;
    void SetHeader(const QString& caption, const QPixmap& picture);
    void RefreshRight();
    void ResetItemViews();

    // Window steps of the catalog's open and close sequences.
    void EnableCatalogCommands(bool enabled);
    void SetCloseCommandEnabled(bool enabled);
    void SetRepairCommandEnabled(bool enabled);
    void SetPasswordCommand(const QString& caption, const QString& tag);
    void UnloadSecondaryForms();
    void ClearTexts();
    void SetSubjectViewEnabled(bool enabled);

    // Commands, by their captions without "&" ("Open", "Close", "Quick Search...", ...), for the toolbar,
    // the menus and tests.
    QAction* Command(const QString& caption) const;
    QMenu* CatalogMenu() const { return m_catalogMenu; }
    QMenu* ActionsMenu() const { return m_actionsMenu; }
    QMenu* HelpMenu() const { return m_helpMenu; }
    QToolButton* MenuButton(const QString& caption) const;
    // The subject tree on the left; the catalog object's subject view.
    ctlSubjectView* SubjectView() const { return m_subjectView; }
    // The small image list the subject tree and the header draw from, with the categories' pictures.
    CategoryImageList* Images() const { return m_images.get(); }
    // The item grid at the top right; the model's main item view.
    ctlItemView* ItemView() const { return m_itemView; }
    // The item editor pane at the bottom right, following the item list's current item.
    ctlItemEditor* ItemEditor() const { return m_itemEditor; }
    GuiEditorWindows* EditorWindows() const { return m_editorWindows.get(); }

    static int TwipsToPixels(int twips);
    static int PixelsToTwips(int pixels);

    void ShowOpenDialog();
    void RepairCompact();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildCommandRow();
    void BuildMenus();
    void BuildToolbar(QWidget* row);
    void BuildBody();
    void ShowItemInEditor(int itemId);
    void ReadSettings();
    void SaveSettings();
    void KeepHorizontalRatio();
    int RightHeightPixels() const;
    void NotAvailableYet(const QString& feature);
    QAction* AddCommand(QMenu* menu, const QString& caption, const QString& icon = QString(),
                        const QKeySequence& shortcut = QKeySequence());

    QMenu* m_catalogMenu = nullptr;
    QMenu* m_utilitiesMenu = nullptr;
    QMenu* m_actionsMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QList<QToolButton*> m_menuButtons;
    QLabel* m_headerPicture = nullptr;
    QLabel* m_headerCaption = nullptr;
    QSplitter* m_vertical = nullptr;   // subject view | right side
    QSplitter* m_horizontal = nullptr; // item view / item editor pane
    ctlSubjectView* m_subjectView = nullptr;
    std::unique_ptr<CategoryImageList> m_images;
    QWidget* m_itemViewPane = nullptr;
    ctlItemView* m_itemView = nullptr;
    QWidget* m_editorPane = nullptr;
    ctlItemEditor* m_itemEditor = nullptr;
    std::unique_ptr<GuiEditorWindows> m_editorWindows;
    QLabel* m_statusText = nullptr;
    QList<QAction*> m_commands;
    double m_horizontalRatio = 0.5;
    bool m_closing = false;
};
