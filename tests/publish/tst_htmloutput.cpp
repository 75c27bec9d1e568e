#include "../model/ModelFixture.h"

#include "model/clsColumn.h"
#include "platform/UserSettings.h"
#include "publish/HTMLFont.h"
#include "publish/clsHTMLOutput.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

// The published page, read back from the page file byte for byte: the three layouts, the style taken from
// the user's settings, escaping of item text, and where the page goes.
class TestHtmlOutput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void wholePageInEachLayout_data();
    void wholePageInEachLayout();
    void styleFollowsTheSettings();
    void pageLivesInTheCacheFolderAndFailureIsReported();
    void fontTag_data();
    void fontTag();

private:
    // Publishes the items in the order given; the page's content, empty on failure.
    QByteArray Publish(const QList<int>& ids);

    std::unique_ptr<ModelFixture> m_fx;
    Category* m_papers = nullptr;
    int m_first = 0;
    int m_second = 0;
};

void TestHtmlOutput::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

// A small category: a plain text column, a memo, an Internet/File column and a picture column, so that each
// layout's choice of columns shows in a short page.
void TestHtmlOutput::init()
{
    m_fx = std::make_unique<ModelFixture>();
    QVERIFY(m_fx->Setup());
    m_papers = m_fx->AddCategory(QStringLiteral("Papers"));
    QVERIFY(m_papers);
    const std::pair<const char*, int> columns[] = {{"Author", clsColumn::PlainText},
                                                   {"Notes", clsColumn::Memo},
                                                   {"Site", clsColumn::InternetFile},
                                                   {"Cover", clsColumn::Media}};
    for (const auto& [name, type] : columns)
        QVERIFY(modDBOperations::AddField(m_fx->db(), m_papers->DBName(), QString::fromUtf8(name), type, false, false,
                                          false, 0, m_papers));
    m_papers->ForgetColumns();
    m_first = m_fx->AddItem(
        m_papers, "[Title],[Author],[Notes],[Site]",
        R"('Fish & <Chips>','Say "hi" é','{\rtf1\ansi {\b Bold} one\par two\par}','http://x.org/?a=1&b=2')");
    m_second = m_fx->AddItem(m_papers, "[Title]", "'Second'");
    QVERIFY(m_first && m_second);
}

void TestHtmlOutput::cleanup()
{
    QFile::remove(clsHTMLOutput::OutputPath());
    m_fx.reset();
}

QByteArray TestHtmlOutput::Publish(const QList<int>& ids)
{
    clsHTMLOutput output;
    if (DbError error = output.Begin(*m_papers)) {
        qWarning("Begin: %s", qPrintable(error.message));
        return {};
    }
    for (int id : ids)
        if (DbError error = output.AddID(id)) {
            qWarning("AddID: %s", qPrintable(error.message));
            return {};
        }
    const Result<QString> page = output.Finish();
    if (!page)
        return {};
    QFile file(*page);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

namespace
{
const char* const Head = "<HTML>\r\n<HEAD>\r\n<STYLE TYPE=\"text/css\">\r\n<!--\r\nbody {\r\nbackground: #FFFFFF;\r\n"
                         "color: #000000;\r\n}\r\na:link {color: #ff8080}\r\na:visited {color: #ff0000}\r\n"
                         ".columntext {font-family: Tahoma; font-size: 10pt; font-weight: bold; color: #000000}\r\n"
                         ".titletext {font-family: Tahoma; font-size: 10pt; font-weight: bold; color: #000000}\r\n"
                         ".infotext {font-family: Tahoma; font-size: 10pt; font-weight: normal; color: #000000}\r\n"
                         "--> </STYLE>\r\n</HEAD>\r\n<BODY>\r\n\r\n";
} // namespace

void TestHtmlOutput::wholePageInEachLayout_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QByteArray>("body");

    const QByteArray list =
        "<TABLE BORDER=\"0\" CELLPADDING=\"2\" WIDTH=\"100%\">\r\n"
        "  <TR>\r\n"
        "    <TD></TD>\r\n"
        "    <TD BGCOLOR=\"#FFFFFF\"><FONT CLASS=\"columntext\">Author</FONT></TD>\r\n"
        "    <TD BGCOLOR=\"#FFFFFF\"><FONT CLASS=\"columntext\">Site</FONT></TD>\r\n"
        "  </TR>\r\n\r\n"
        "  <TR>\r\n"
        "    <TD BGCOLOR=\"#FFFFFF\"><FONT CLASS=\"titletext\">Second</FONT></TD>\r\n"
        "    <TD BGCOLOR=\"#FFFFFF\"><FONT CLASS=\"infotext\"></FONT></TD>"
        "    <TD BGCOLOR=\"#FFFFFF\"><FONT CLASS=\"infotext\"></FONT></TD>"
        "  </TR>\r\n"
        "  <TR>\r\n"
        "    <TD BGCOLOR=\"#FFFFFF\"><FONT CLASS=\"titletext\">Fish &amp; &lt;Chips&gt;</FONT></TD>\r\n"
        "    <TD BGCOLOR=\"#FFFFFF\"><FONT CLASS=\"infotext\">Say &quot;hi&quot; &#233;</FONT></TD>"
        "    <TD BGCOLOR=\"#FFFFFF\"><FONT CLASS=\"infotext\">http://x.org/?a=1&amp;b=2</FONT></TD>"
        "  </TR>\r\n"
        "</TABLE>\r\n";
    // No stored layout reads as the horizontal list, and so does one the program does not know.
    QTest::newRow("not set") << QString() << list;
    QTest::newRow("0") << "0" << list;
    QTest::newRow("unknown") << "7" << list;
    QTest::newRow("title list") << "1"
                                << QByteArray("<FONT CLASS=\"infotext\">\r\n\r\n"
                                              "Second<BR>Fish &amp; &lt;Chips&gt;<BR></FONT>\r\n");
    const QByteArray spacer = "<TR><TD HEIGHT=\"20\"></TD><TD HEIGHT=\"10\"></TD></TR>\r\n";
    const auto title = [](const QByteArray& html) {
        return "  <TR>\r\n    <TD VALIGN=\"top\" ALIGN=\"left\" COLSPAN=\"2\" BGCOLOR=\"#FFFFFF\"><FONT "
               "CLASS=\"titletext\">" +
               html + "</FONT></TD>\r\n  </TR>\r\n";
    };
    const auto row = [](const QByteArray& name, const QByteArray& html) {
        return "  <TR>\r\n    <TD VALIGN=\"top\" WIDTH=\"30%\" ALIGN=\"left\" BGCOLOR=\"#FFFFFF\"><FONT "
               "CLASS=\"columntext\">" +
               name +
               "</FONT></TD>\r\n    <TD VALIGN=\"top\" WIDTH=\"70%\" ALIGN=\"left\" BGCOLOR=\"#FFFFFF\"><FONT "
               "CLASS=\"infotext\">" +
               html + "</FONT></TD>\r\n  </TR>\r\n\r\n";
    };
    QTest::newRow("individual entry")
        << "2"
        << "<TABLE BORDER=\"0\" CELLPADDING=\"2\" WIDTH=\"100%\">\r\n\r\n" + title("Second") + row("Author", "") +
               row("Notes", "") + row("Site", "<A HREF=\"\"></A>") + spacer + title("Fish &amp; &lt;Chips&gt;") +
               row("Author", "Say &quot;hi&quot; &#233;") + row("Notes", "Bold one\r\ntwo") +
               row("Site", "<A HREF=\"http://x.org/?a=1&amp;b=2\">http://x.org/?a=1&amp;b=2</A>") + spacer +
               "</TABLE>\r\n";
}

void TestHtmlOutput::wholePageInEachLayout()
{
    QFETCH(QString, setting);
    QFETCH(QByteArray, body);
    if (!setting.isNull())
        UserSettings::Set("HTMLBodyType", setting);
    const QByteArray page = Publish({m_second, m_first});
    QCOMPARE(page, Head + body + "\r\n</BODY>\r\n</HTML>\r\n");
}

void TestHtmlOutput::styleFollowsTheSettings()
{
    UserSettings::Set("HTMLFont", "Verdana");
    UserSettings::Set("PublishFontSize", "12");
    UserSettings::Set("ColumnTextColor", QString::number(1 + 2 * 256 + 3 * 65536));
    UserSettings::Set("InfoTextColor", QString::number(255 + 128 * 256));
    UserSettings::Set("ColumnCellColor", QString::number(0x0000FF));
    UserSettings::Set("InfoCellColor", QString::number(0xFF0000));
    const QByteArray page = Publish({m_second});
    QVERIFY(
        page.contains(".columntext {font-family: Verdana; font-size: 12pt; font-weight: bold; color: #010203}\r\n"
                      ".titletext {font-family: Verdana; font-size: 12pt; font-weight: bold; color: #010203}\r\n"
                      ".infotext {font-family: Verdana; font-size: 12pt; font-weight: normal; color: #FF8000}\r\n"));
    QVERIFY(page.contains("<TD BGCOLOR=\"#FF0000\"><FONT CLASS=\"titletext\">Second</FONT></TD>\r\n"
                          "    <TD BGCOLOR=\"#0000FF\"><FONT CLASS=\"infotext\"></FONT></TD>"));
    QVERIFY(page.contains("<TD BGCOLOR=\"#FF0000\"><FONT CLASS=\"columntext\">Author</FONT></TD>"));
}

void TestHtmlOutput::pageLivesInTheCacheFolderAndFailureIsReported()
{
    const QString expected =
        QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).filePath("catalog.htm");
    QCOMPARE(clsHTMLOutput::OutputPath(), expected);
    {
        clsHTMLOutput output;
        QVERIFY(!output.Begin(*m_papers));
        QVERIFY(!output.AddID(m_first));
        const Result<QString> page = output.Finish();
        QVERIFY(page);
        QCOMPARE(*page, expected);
        QVERIFY(QFileInfo(expected).size() > 0);
    }
    // A folder in the page's place: the run is refused with a message, not a crash.
    QVERIFY(QFile::remove(expected));
    QVERIFY(QDir().mkpath(expected));
    clsHTMLOutput output;
    const DbError error = output.Begin(*m_papers);
    QVERIFY(QDir(expected).removeRecursively());
    QVERIFY(error);
    QVERIFY(error.message.contains("catalog.htm"));
    QVERIFY(output.AddID(m_first));
    QVERIFY(!output.Finish());
}

void TestHtmlOutput::fontTag_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<int>("size");
    QTest::addColumn<qint64>("color");
    QTest::addColumn<bool>("styled");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << QString() << 0 << qint64(-1) << false << "a&amp;b<BR>c";
    QTest::newRow("styled") << QString() << 0 << qint64(-1) << true << "<U><EM><STRONG>a&amp;b<BR>c</STRONG></EM></U>";
    QTest::newRow("font") << "Arial" << 3 << qint64(0x030201) << false
                          << "<FONT FACE=\"ARIAL\" SIZE=\"3\" COLOR=\"#010203\">a&amp;b<BR>c</FONT>";
    QTest::newRow("empty face") << "" << 0 << qint64(-1) << false << "<FONT>a&amp;b<BR>c</FONT>";
}

void TestHtmlOutput::fontTag()
{
    QFETCH(QString, face);
    QFETCH(int, size);
    QFETCH(qint64, color);
    QFETCH(bool, styled);
    QFETCH(QString, expected);
    HTMLFont font;
    if (!face.isNull())
        font.SetFace(face);
    if (size)
        font.SetSize(qint16(size));
    if (color >= 0)
        font.SetColor(quint32(color));
    font.SetBold(styled);
    font.SetItalic(styled);
    font.SetUnderline(styled);
    QCOMPARE(font.CreateFontTag("a&b\r\nc"), expected);
    QCOMPARE(HTMLFont::CreateHyperlink("a\"b"), QString("<A HREF=\"a&quot;b\">a&quot;b</A>"));
}

QTEST_GUILESS_MAIN(TestHtmlOutput)
#include "tst_htmloutput.moc"
