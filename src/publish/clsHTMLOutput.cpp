#include "publish/clsHTMLOutput.h"

#include "app/clsCatalog.h"
#include "model/Category.h"
#include "model/clsColumn.h"
#include "model/clsColumns.h"
#include "platform/Database.h"
#include "platform/Recordset.h"
#include "platform/RtfPlainText.h"
#include "platform/UserSettings.h"
#include "publish/HTMLFont.h"
#include "storage/modDBOperations.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace
{

const QLatin1String CRLF("\r\n");
const QLatin1String SP2("  ");
const QLatin1String SP4("    ");

int IntegerSetting(const QString& key, int defaultValue)
{
    bool ok = false;
    const int value = UserSettings::Get(key).trimmed().toInt(&ok);
    return ok ? value : defaultValue;
}

QString Cell(const QString& attributes, const QString& textClass, const QString& html)
{
    return SP4 + QStringLiteral("<TD ") + attributes + QStringLiteral("><FONT CLASS=\"") + textClass +
           QStringLiteral("\">") + html + QStringLiteral("</FONT></TD>");
}

QString BgColor(quint32 color)
{
    return QStringLiteral("BGCOLOR=\"") + HTMLFont::ColorText(color) + QLatin1Char('"');
}

} // namespace

quint32 clsHTMLOutput::StoredColor(const QString& key)
{
    // Colours are kept as integers, red in the lowest byte.
    const quint32 defaultValue = key.endsWith(QLatin1String("CellColor")) ? 0xFFFFFF : 0;
    bool ok = false;
    const qlonglong value = UserSettings::Get(key).trimmed().toLongLong(&ok);
    return ok ? quint32(value) & 0xFFFFFF : defaultValue;
}

clsHTMLOutput::clsHTMLOutput()
    : m_bodyType(IntegerSetting(QStringLiteral("HTMLBodyType"), -1)),
      m_fontName(UserSettings::Get(QStringLiteral("HTMLFont"), Catalog().FontName())),
      m_fontSize(qint16(IntegerSetting(QStringLiteral("PublishFontSize"), 10))),
      m_columnCell(StoredColor(QStringLiteral("ColumnCellColor"))),
      m_columnText(StoredColor(QStringLiteral("ColumnTextColor"))),
      m_infoCell(StoredColor(QStringLiteral("InfoCellColor"))),
      m_infoText(StoredColor(QStringLiteral("InfoTextColor")))
{
}

clsHTMLOutput::~clsHTMLOutput() = default;

int clsHTMLOutput::BodyType() const
{
    return m_bodyType == TitleList || m_bodyType == IndividualEntry ? m_bodyType : StandardHorizontalList;
}

QString clsHTMLOutput::OutputPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("catalog.htm"));
}

QString clsHTMLOutput::StyleSheet() const
{
    // The font name goes into a style block, where entities are not read: only characters that could end
    // the rule or the block are dropped.
    QString font = m_fontName;
    font.remove(QRegularExpression(QStringLiteral("[<>{};]")));
    const QString size = QString::number(m_fontSize);
    const auto rule = [&](const char* name, const char* weight, quint32 color) {
        return QLatin1Char('.') + QLatin1String(name) + QStringLiteral(" {font-family: ") + font +
               QStringLiteral("; font-size: ") + size + QStringLiteral("pt; font-weight: ") + QLatin1String(weight) +
               QStringLiteral("; color: ") + HTMLFont::ColorText(color) + QLatin1Char('}');
    };
    const QStringList lines = {QStringLiteral("<STYLE TYPE=\"text/css\">"),
                               QStringLiteral("<!--"),
                               QStringLiteral("body {"),
                               QStringLiteral("background: #FFFFFF;"),
                               QStringLiteral("color: #000000;"),
                               QStringLiteral("}"),
                               QStringLiteral("a:link {color: #ff8080}"),
                               QStringLiteral("a:visited {color: #ff0000}"),
                               rule("columntext", "bold", m_columnText),
                               rule("titletext", "bold", m_columnText),
                               rule("infotext", "normal", m_infoText),
                               QStringLiteral("--> </STYLE>")};
    return lines.join(CRLF);
}

QString clsHTMLOutput::BodyOpening() const
{
    const QString table = QStringLiteral("<TABLE BORDER=\"0\" CELLPADDING=\"2\" WIDTH=\"100%\">") + CRLF;
    switch (BodyType()) {
    case TitleList:
        return QStringLiteral("<FONT CLASS=\"infotext\">") + CRLF;
    case IndividualEntry:
        return table;
    default: {
        QString header = table + SP2 + QStringLiteral("<TR>") + CRLF + SP4 + QStringLiteral("<TD></TD>") + CRLF;
        for (const auto& column : m_columns)
            header +=
                Cell(BgColor(m_columnCell), QStringLiteral("columntext"), HTMLFont::Escape(column->Name())) + CRLF;
        return header + SP2 + QStringLiteral("</TR>") + CRLF;
    }
    }
}

DbError clsHTMLOutput::Begin(Category& category)
{
    m_category = &category;
    m_titleColumn = category.TitleColumn();
    m_columns.clear();
    const int bodyType = BodyType();
    if (bodyType != TitleList) {
        const clsColumns editable = category.EditableColumns();
        for (const auto& column : editable) {
            if (column->Name().compare(m_titleColumn, Qt::CaseInsensitive) == 0)
                continue;
            const FieldType type = column->Field().type;
            if (bodyType == StandardHorizontalList && (type == FieldType::LongBinary || type == FieldType::Memo))
                continue;
            if (bodyType == IndividualEntry && column->ColumnType() == clsColumn::Media)
                continue;
            m_columns.push_back(column);
        }
    }

    const QString path = OutputPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    m_file = std::make_unique<QSaveFile>(path);
    if (!m_file->open(QIODevice::WriteOnly)) {
        const DbError error = WriteError(*m_file);
        m_file.reset();
        return error;
    }
    WriteLine(QStringLiteral("<HTML>") + CRLF + QStringLiteral("<HEAD>") + CRLF + StyleSheet() + CRLF +
              QStringLiteral("</HEAD>") + CRLF + QStringLiteral("<BODY>") + CRLF);
    WriteLine(BodyOpening());
    return {};
}

DbError clsHTMLOutput::AddID(int id)
{
    Database* db = m_category ? m_category->database() : nullptr;
    if (!db || !m_file)
        return {DbErrorNumber::NotOpen, QStringLiteral("The page was not begun.")};
    Result<std::unique_ptr<Recordset>> opened =
        db->OpenRecordset(QStringLiteral("SELECT * FROM [%1] WHERE [ID] = %2").arg(m_category->DBName()).arg(id),
                          RecordsetType::ForwardOnly, true);
    if (!opened)
        return opened.error();
    Recordset& rs = **opened;
    if (rs.Eof())
        return {};
    const auto text = [&rs](const QString& field) { return modDBOperations::ValueText(rs.Value(field)); };
    const QString title = HTMLFont::Escape(m_titleColumn.isEmpty() ? QString() : text(m_titleColumn));

    switch (BodyType()) {
    case StandardHorizontalList:
        Write(SP2 + QStringLiteral("<TR>") + CRLF + Cell(BgColor(m_columnCell), QStringLiteral("titletext"), title) +
              CRLF);
        for (const auto& column : m_columns)
            Write(Cell(BgColor(m_infoCell), QStringLiteral("infotext"), HTMLFont::Escape(text(column->Name()))));
        Write(SP2 + QStringLiteral("</TR>") + CRLF);
        break;
    case TitleList:
        Write(title + QStringLiteral("<BR>"));
        break;
    case IndividualEntry:
        Write(SP2 + QStringLiteral("<TR>") + CRLF +
              Cell(QStringLiteral("VALIGN=\"top\" ALIGN=\"left\" COLSPAN=\"2\" ") + BgColor(m_columnCell),
                   QStringLiteral("titletext"), title) +
              CRLF + SP2 + QStringLiteral("</TR>") + CRLF);
        for (const auto& column : m_columns) {
            const QString value = text(column->Name());
            QString html;
            if (column->ColumnType() == clsColumn::Memo)
                html = HTMLFont::Escape(RtfPlainText::FromRtf(value));
            else if (column->ColumnType() == clsColumn::InternetFile)
                html = HTMLFont::CreateHyperlink(value);
            else
                html = HTMLFont::Escape(value);
            WriteLine(SP2 + QStringLiteral("<TR>") + CRLF +
                      Cell(QStringLiteral("VALIGN=\"top\" WIDTH=\"30%\" ALIGN=\"left\" ") + BgColor(m_columnCell),
                           QStringLiteral("columntext"), HTMLFont::Escape(column->Name())) +
                      CRLF +
                      Cell(QStringLiteral("VALIGN=\"top\" WIDTH=\"70%\" ALIGN=\"left\" ") + BgColor(m_infoCell),
                           QStringLiteral("infotext"), html) +
                      CRLF + SP2 + QStringLiteral("</TR>") + CRLF);
        }
        WriteLine(QStringLiteral("<TR><TD HEIGHT=\"20\"></TD><TD HEIGHT=\"10\"></TD></TR>"));
        break;
    }
    return {};
}

Result<QString> clsHTMLOutput::Finish()
{
    if (!m_file)
        return DbError{DbErrorNumber::NotOpen, QStringLiteral("The page was not begun.")};
    WriteLine(BodyType() == TitleList ? QStringLiteral("</FONT>") : QStringLiteral("</TABLE>"));
    WriteLine(CRLF + QStringLiteral("</BODY>") + CRLF + QStringLiteral("</HTML>"));
    const std::unique_ptr<QSaveFile> file = std::move(m_file);
    if (!file->commit())
        return WriteError(*file);
    return file->fileName();
}

void clsHTMLOutput::Write(const QString& text)
{
    // A failed write is remembered by the file and makes Finish fail; the page is never left half written.
    if (m_file)
        m_file->write(text.toUtf8());
}

DbError clsHTMLOutput::WriteError(const QSaveFile& file)
{
    return {DbErrorNumber::Io, QStringLiteral("The page \"%1\" could not be written: %2")
                                   .arg(QDir::toNativeSeparators(file.fileName()), file.errorString())};
}
