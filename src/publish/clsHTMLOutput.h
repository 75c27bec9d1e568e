#pragma once
#include "platform/DbError.h"
#include "platform/Result.h"

#include <QString>

#include <memory>
#include <vector>

class Category;
class QSaveFile;
class clsColumn;

// Writes selected items of a category as one HTML page, in one of three layouts, styled by the user's
// publishing settings. Used once per run: create (the settings are read then), Begin, AddID per item in the
// order they are to appear, Finish. The page always goes to the same file (OutputPath), replaced by each run
// only when Finish commits it, so a failed run leaves the previous page whole. What happens to the page
// afterwards (saved under a name, opened in the browser) is the caller's part.
class clsHTMLOutput
{
public:
    enum BodyTypes { StandardHorizontalList = 0, TitleList = 1, IndividualEntry = 2 };

    clsHTMLOutput();
    ~clsHTMLOutput();
    clsHTMLOutput(const clsHTMLOutput&) = delete;
    clsHTMLOutput& operator=(const clsHTMLOutput&) = delete;

    // A layout that was never chosen (-1) or that the program does not know reads as the horizontal list.
    int BodyType() const;
    void SetBodyType(int bodyType) { m_bodyType = bodyType; }
    QString FontName() const { return m_fontName; }
    int FontSize() const { return m_fontSize; }
    // A colour setting ("ColumnCellColor", "ColumnTextColor", "InfoCellColor", "InfoTextColor") as stored:
    // red in the lowest byte; cells default to white, text to black.
    static quint32 StoredColor(const QString& key);

    // Picks the columns of the layout and writes the page up to the first item.
    DbError Begin(Category& category);
    // Writes the item with that [ID]; an item that no longer exists writes nothing.
    DbError AddID(int id);
    // Closes the page and puts it in place; the page's path.
    Result<QString> Finish();

    // The page file: "catalog.htm" in the user's cache folder (the program's own folder is not writable).
    static QString OutputPath();

private:
    void Write(const QString& text);
    void WriteLine(const QString& text) { Write(text + QLatin1String("\r\n")); }
    QString StyleSheet() const;
    QString BodyOpening() const;
    static DbError WriteError(const QSaveFile& file);

    int m_bodyType = -1;
    QString m_fontName;
    int m_fontSize = 10;
    quint32 m_columnCell = 0xFFFFFF;
    quint32 m_columnText = 0;
    quint32 m_infoCell = 0xFFFFFF;
    quint32 m_infoText = 0;

    Category* m_category = nullptr;
    QString m_titleColumn;
    // The columns that get a cell of their own, in field order, the title column left out.
    std::vector<std::shared_ptr<clsColumn>> m_columns;
    std::unique_ptr<QSaveFile> m_file;
};
