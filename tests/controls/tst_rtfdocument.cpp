// Memo text between RTF and the memo box's document: what the writer stores reads back the same, and what other
// programs wrote shows with its formatting.
#include "controls/RtfDocumentReader.h"
#include "controls/RtfDocumentWriter.h"
#include "platform/RtfPlainText.h"

#include "TestData.h"

#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QtTest>

namespace
{
// The document as it shows: per block its alignment and its text, with the format of each run where it changes.
// Fonts are resolved against the document's default, so that a run that names the default font explicitly looks
// the same as one that inherits it.
QString Describe(const QTextDocument& document)
{
    QStringList blocks;
    const QFont base = document.defaultFont();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QString line;
        switch (block.blockFormat().alignment() & Qt::AlignHorizontal_Mask & ~Qt::AlignAbsolute) {
        case Qt::AlignHCenter:
            line = "C|";
            break;
        case Qt::AlignRight:
            line = "R|";
            break;
        case Qt::AlignJustify:
            line = "J|";
            break;
        default:
            line = "L|";
            break;
        }
        QString current;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            const QFont font = format.font().resolve(base);
            QString description = font.family() + " " + QString::number(font.pointSizeF()) + "pt";
            if (font.bold())
                description += " bold";
            if (font.italic())
                description += " italic";
            if (format.fontUnderline())
                description += " underline";
            if (font.strikeOut())
                description += " strike";
            if (format.foreground().style() != Qt::NoBrush)
                description += " " + format.foreground().color().name();
            if (description != current)
                line += "<" + description + ">";
            current = description;
            line += fragment.text();
        }
        blocks << line;
    }
    return blocks.join('\n');
}

QByteArray Fixture(const QString& name)
{
    return ReadTestData(QStringLiteral("rtf/") + name);
}
} // namespace

class TestRtfDocument : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // A fixed default font, so that descriptions do not depend on the machine's.
        QFont font("DejaVu Sans");
        font.setPointSizeF(9);
        m_defaultFont = font;
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("html");

        QTest::newRow("character styles") << "<p>plain <b>bold</b> <i>italic</i> <u>underline</u> <s>strike</s> "
                                             "<b><i><u><s>all four</s></u></i></b></p>";
        QTest::newRow("font faces and sizes")
            << "<p><span style=\"font-family:'Liberation Mono'\">mono</span> "
               "<span style=\"font-family:'Some Font That Is Not Installed'; font-size:10.5pt\">missing</span> "
               "<span style=\"font-size:36pt\">big</span><span style=\"font-size:7pt\">small</span></p>";
        QTest::newRow("colours")
            << "<p><span style=\"color:#ff0000\">red</span> auto <span style=\"color:#123456\">dark</span> "
               "<span style=\"color:#ff0000\">red again</span> <span style=\"color:#000000\">black</span></p>";
        QTest::newRow("alignment")
            << "<p align=\"left\">left</p><p align=\"center\">centred</p><p align=\"right\">right</p>"
               "<p align=\"justify\">justified</p>";
        // Qt's HTML import keeps an empty paragraph only when it is marked as one.
        const QString empty = "<p style=\"-qt-paragraph-type:empty\"><br /></p>";
        QTest::newRow("several paragraphs with empty ones")
            << "<p>one</p>" + empty + "<p>three</p>" + empty + empty + "<p>six</p>";
        QTest::newRow("leading empty paragraph") << empty + "<p>two</p>";
        QTest::newRow("trailing empty paragraph") << "<p>one</p>" + empty;
        QTest::newRow("tabs and line breaks")
            << "<p style=\"white-space:pre-wrap\">Name\tValue<br>second line\t<b>\tbold tab</b></p>";
        QTest::newRow("RTF's own characters in the text") << "<p>{braces} back\\slash \\par \\b0 ; semicolon</p>";
        QTest::newRow("blanks") << "<p style=\"white-space:pre-wrap\">  two leading, two  inside, two trailing  </p>"
                                   "<p style=\"white-space:pre-wrap\"> <b> bold between blanks </b> </p>";
        QTest::newRow("non-ASCII") << QString::fromUtf8(
            "<p>café naïve ñ € “quotes” — ½</p><p>Ελληνικά Кириллица עברית</p>"
            "<p>日本語 中文 한국어</p>");
        QTest::newRow("outside the BMP") << QString::fromUtf8("<p>emoji 😀 clef 𝄞 <b>bold 🎉</b></p>");
        QTest::newRow("special spaces and hyphens")
            << QString::fromUtf8("<p>no\u00A0break soft\u00ADhyphen non\u2011breaking</p>");
        QTest::newRow("everything in one paragraph")
            << "<p align=\"center\"><span style=\"font-family:'Liberation Serif'; font-size:14pt; color:#008000\">"
               "<b>green</b> <i>serif</i></span> and <u style=\"color:#0000ff\">blue</u></p>";
    }

    // The writer stores what the box shows, and the reader shows it again.
    void roundTrip()
    {
        QFETCH(QString, html);
        QTextDocument original;
        original.setDefaultFont(m_defaultFont);
        original.setHtml(html);

        const QString rtf = RtfDocumentWriter::Write(original);
        QVERIFY(rtf.startsWith("{\\rtf1"));
        QVERIFY2(std::all_of(rtf.cbegin(), rtf.cend(), [](QChar c) { return c.unicode() < 0x80; }),
                 "the written RTF is 7-bit");

        QTextDocument copy;
        copy.setDefaultFont(m_defaultFont);
        RtfDocumentReader::Read(rtf, copy);
        QCOMPARE(Describe(copy), Describe(original));
        QCOMPARE(copy.toPlainText(), original.toPlainText());
        QCOMPARE(copy.blockCount(), original.blockCount());

        // Written again, nothing changes: memos do not drift from one save to the next.
        QCOMPARE(RtfDocumentWriter::Write(copy), rtf);
    }

    void emptyDocument()
    {
        QTextDocument original;
        const QString rtf = RtfDocumentWriter::Write(original);
        QTextDocument copy;
        copy.setPlainText("old text");
        RtfDocumentReader::Read(rtf, copy);
        QCOMPARE(copy.blockCount(), 1);
        QVERIFY(copy.isEmpty());
        QCOMPARE(RtfPlainText::FromRtf(rtf), QString());
    }

    // Only what the document uses goes into the tables, each once, and the text refers to the right entries.
    void tables()
    {
        QTextDocument document;
        document.setDefaultFont(m_defaultFont);
        document.setHtml("<p><span style=\"font-family:'Liberation Mono'; color:#ff0000\">a</span>"
                         "<span style=\"color:#00ff00\">b</span>"
                         "<span style=\"font-family:'Liberation Mono'; color:#ff0000\">c</span></p>");
        const QString rtf = RtfDocumentWriter::Write(document);
        QVERIFY2(rtf.contains("{\\fonttbl{\\f0\\fnil DejaVu Sans;}{\\f1\\fnil Liberation Mono;}}"), qPrintable(rtf));
        QVERIFY2(rtf.contains("{\\colortbl;\\red255\\green0\\blue0;\\red0\\green255\\blue0;}"), qPrintable(rtf));
        QVERIFY2(rtf.contains("{\\f1\\fs18\\cf1 a}{\\f0\\fs18\\cf2 b}{\\f1\\fs18\\cf1 c}"), qPrintable(rtf));
    }

    void unicodeEscapes()
    {
        QTextDocument document;
        document.setPlainText(QString::fromUtf8("é€😀"));
        const QString rtf = RtfDocumentWriter::Write(document);
        QVERIFY2(rtf.contains("\\u233?\\u8364?\\u-10179?\\u-8704?"), qPrintable(rtf));
        QVERIFY(rtf.contains("\\uc1"));
    }

    void fixtures_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("expected");

        QTest::newRow("LibreOffice formatted")
            << "libreoffice-formatted.rtf"
            << QString::fromUtf8(
                   "L|<Liberation Serif 12pt #000000>Plain, <Liberation Serif 12pt bold #000000>bold"
                   "<Liberation Serif 12pt #000000>, <Liberation Serif 12pt italic #000000>italic"
                   "<Liberation Serif 12pt #000000>, <Liberation Serif 12pt underline #000000>underlined"
                   "<Liberation Serif 12pt #000000> and <Liberation Serif 12pt strike #000000>struck"
                   "<Liberation Serif 12pt #000000> text.\n"
                   "C|<Liberation Serif 12pt #c00000>Red centred<Liberation Serif 12pt #000000> paragraph\n"
                   "R|<Liberation Mono 18pt #000000>Mono 18<Liberation Serif 12pt #000000> right\n"
                   "L|<Liberation Serif 12pt #000000>Café, naïve, “quotes” — dash, Ελληνικά, 日本語, emoji 😀 end");
        QTest::newRow("LibreOffice breaks")
            << "libreoffice-breaks.rtf"
            << QString::fromUtf8("J|<DejaVu Serif 12pt>Name\tValue\u2028Second line with "
                                 "<DejaVu Serif 12pt bold italic #0000ff>bold italic blue<DejaVu Serif 12pt>.\n"
                                 "C|<DejaVu Serif 12pt>Кириллица и <Liberation Sans 9pt>small sans"
                                 "<DejaVu Serif 12pt> – {braces} and back\\slash\n"
                                 "L|\n"
                                 "L|<DejaVu Serif 12pt>After an empty paragraph.");
    }

    void fixtures()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, expected);
        const QByteArray bytes = Fixture(fixture);
        QVERIFY(!bytes.isEmpty());
        QTextDocument document;
        document.setDefaultFont(m_defaultFont);
        RtfDocumentReader::Read(bytes, document);
        QCOMPARE(Describe(document), expected);
    }

    // Whatever other programs wrote survives a save by the memo box unchanged.
    void fixturesSurviveSaving_data()
    {
        QTest::addColumn<QString>("fixture");
        for (const char* name : {"libreoffice-formatted.rtf", "libreoffice-breaks.rtf", "libreoffice-lists.rtf",
                                 "abiword-formatted.rtf", "abiword-breaks.rtf"})
            QTest::newRow(name) << name;
    }

    void fixturesSurviveSaving()
    {
        QFETCH(QString, fixture);
        QTextDocument document;
        document.setDefaultFont(m_defaultFont);
        RtfDocumentReader::Read(Fixture(fixture), document);
        QVERIFY(document.blockCount() > 3);

        QTextDocument saved;
        saved.setDefaultFont(m_defaultFont);
        RtfDocumentReader::Read(RtfDocumentWriter::Write(document), saved);
        QCOMPARE(Describe(saved), Describe(document));
    }

    void plainText()
    {
        QTextDocument document;
        RtfDocumentReader::Read(QStringLiteral("one\r\ntwo {\\b not bold}\n"), document);
        QCOMPARE(document.blockCount(), 3);
        QCOMPARE(document.toPlainText(), QString("one\ntwo {\\b not bold}\n"));
        QCOMPARE(document.begin().next().begin().fragment().charFormat().fontWeight(), int(QFont::Normal));
    }

    void readReplacesWithoutUndo()
    {
        QTextDocument document;
        document.setPlainText("old");
        QTextCursor(&document).insertText("typed ");
        QVERIFY(document.isUndoAvailable());
        RtfDocumentReader::Read(QStringLiteral("{\\rtf1 new\\par}"), document);
        QCOMPARE(document.toPlainText(), QString("new"));
        QVERIFY(!document.isUndoAvailable());
        QVERIFY(!document.isModified());
        QVERIFY(document.isUndoRedoEnabled());
    }

    // Inserted text keeps its own format and does not take over the format at the cursor.
    void insertAtCursor()
    {
        QTextDocument document;
        document.setDefaultFont(m_defaultFont);
        QTextCursor cursor(&document);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        cursor.insertText("abcdef", bold);
        cursor.setPosition(3);
        RtfDocumentReader::Insert(QStringLiteral("{\\rtf1 x\\par\\qc {\\i y}}"), cursor);
        QCOMPARE(Describe(document), QString("L|<DejaVu Sans 9pt bold>abc<DejaVu Sans 9pt>x\n"
                                             "C|<DejaVu Sans 9pt italic>y<DejaVu Sans 9pt bold>def"));
        QCOMPARE(cursor.position(), 6);
    }

private:
    QFont m_defaultFont;
};

QTEST_MAIN(TestRtfDocument)
#include "tst_rtfdocument.moc"
