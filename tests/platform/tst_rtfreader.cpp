// The rich text reader: what memo boxes and word processors write, damaged input, and the plain text of a memo.
#include "platform/RtfPlainText.h"
#include "platform/RtfReader.h"
#include "platform/RtfSink.h"

#include "TestData.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

namespace
{
// Writes what the reader delivers in a compact form: formatted runs as {attributes:text}, unformatted runs bare,
// paragraph ends as "¶" followed by C, R or J for centred, right-aligned and justified paragraphs. It also checks
// what every sink may rely on, and lists the breaches in problems.
class RecordingSink : public RtfSink
{
public:
    QString events;
    QStringList problems;
    int paragraphs = 0;

    void Text(const QString& text, const RtfCharFormat& format) override
    {
        if (text.isEmpty())
            problems << "empty run";
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c == u'\r' || c == u'\n' || (c < u' ' && c != u'\t'))
                problems << QString("control character %1 in a run").arg(c.unicode());
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            else if (c.isSurrogate())
                problems << "lone surrogate";
        }
        m_openText = true;

        QStringList attributes;
        if (format.bold)
            attributes << "b";
        if (format.italic)
            attributes << "i";
        if (format.underline)
            attributes << "u";
        if (format.strikeOut)
            attributes << "s";
        if (!format.fontFamily.isEmpty())
            attributes << "f=" + format.fontFamily;
        if (format.fontSizeHalfPoints != 0)
            attributes << "fs=" + QString::number(format.fontSizeHalfPoints);
        if (format.color)
            attributes << QString::asprintf("c=#%02x%02x%02x", format.color->red, format.color->green,
                                            format.color->blue);
        if (attributes.isEmpty())
            events += text;
        else
            events += "{" + attributes.join(',') + ":" + text + "}";
    }

    void ParagraphEnd(const RtfParagraphFormat& format) override
    {
        m_openText = false;
        ++paragraphs;
        events += u"¶";
        switch (format.alignment) {
        case RtfParagraphFormat::Alignment::Left:
            break;
        case RtfParagraphFormat::Alignment::Center:
            events += "C";
            break;
        case RtfParagraphFormat::Alignment::Right:
            events += "R";
            break;
        case RtfParagraphFormat::Alignment::Justify:
            events += "J";
            break;
        }
    }

    // Every run belongs to a paragraph that ends.
    void Finish()
    {
        if (m_openText)
            problems << "text after the last paragraph end";
    }

private:
    bool m_openText = false;
};

QString Read(const QString& rtf, QStringList* problems = nullptr)
{
    RecordingSink sink;
    RtfReader(sink).Read(rtf);
    sink.Finish();
    if (problems)
        *problems = sink.problems;
    return sink.events;
}

// The body of the table-driven reading tests: the row's RTF reads as expected, and the reader's output is sound.
void ReadsAsExpected()
{
    QFETCH(QString, rtf);
    QFETCH(QString, expected);
    QStringList problems;
    QCOMPARE(Read(rtf, &problems), expected);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
}

QByteArray Fixture(const QString& name)
{
    return ReadTestData(QStringLiteral("rtf/") + name);
}
} // namespace

class TestRtfReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatting_data()
    {
        QTest::addColumn<QString>("rtf");
        QTest::addColumn<QString>("expected");

        QTest::newRow("paragraphs") << R"({\rtf1 one\par two\par})" << u"one¶two¶"_qs;
        QTest::newRow("last paragraph without \\par") << R"({\rtf1 one\par two})" << u"one¶two¶"_qs;
        QTest::newRow("empty paragraphs") << R"({\rtf1 \par one\par\par two\par\par})" << u"¶one¶¶two¶¶"_qs;
        QTest::newRow("source line ends are not text") << "{\\rtf1 one\r\ntwo\ntext}" << u"onetwotext¶"_qs;
        QTest::newRow("delimiting space only") << R"({\rtf1\b  two spaces})" << u"{b: two spaces}¶"_qs;
        QTest::newRow("bold on and off") << R"({\rtf1 a\b b\b0 c\b1 d}\par)" << u"a{b:b}c{b:d}¶"_qs;
        QTest::newRow("group keeps formatting inside")
            << R"({\rtf1 a{\b\i b{\ul c}}d\par})" << u"a{b,i:b}{b,i,u:c}d¶"_qs;
        QTest::newRow("underline styles")
            << R"({\rtf1\ul a\ulnone b\uldb c\ul0 d\ulwave e\ulc2 f\par})" << u"{u:a}b{u:c}d{u:ef}¶"_qs;
        QTest::newRow("strike-through") << R"({\rtf1\strike a\strike0 b\striked1 c\par})" << u"{s:a}b{s:c}¶"_qs;
        QTest::newRow("plain resets characters only")
            << R"({\rtf1\qc\b\i\ul\strike\fs40 a\plain b\par})" << u"{b,i,u,s,fs=40:a}b¶C"_qs;
        QTest::newRow("font table and default font")
            << R"({\rtf1\deff1{\fonttbl{\f0\fswiss\fcharset0 Arial;}{\f1\froman Times New Roman;}}a\f0 b\plain c})"
            << u"{f=Times New Roman:a}{f=Arial:b}{f=Times New Roman:c}¶"_qs;
        QTest::newRow("font table without groups")
            << R"({\rtf1{\fonttbl\f0\fnil Courier;\f1\fnil Symbol;}\f1 x\f0 y\f7 z})"
            << u"{f=Symbol:x}{f=Courier:y}z¶"_qs;
        QTest::newRow("font names with panose and alternative")
            << R"({\rtf1{\fonttbl{\f0\fnil{\*\panose 02020603050405020304}Liberation Serif{\*\falt Times};}}\f0 x})"
            << u"{f=Liberation Serif:x}¶"_qs;
        QTest::newRow("font entry without semicolon")
            << R"({\rtf1{\fonttbl{\f0 Arial}{\f1 Verdana}}\f1 x})" << u"{f=Verdana:x}¶"_qs;
        QTest::newRow("font sizes") << R"({\rtf1\fs17 a\fs b{\fs48 c}d})"
                                    << u"{fs=17:a}{fs=24:b}{fs=48:c}{fs=24:d}¶"_qs;
        QTest::newRow("colour table")
            << R"({\rtf1{\colortbl;\red255\green0\blue0;\red0\green0\blue0;\green128;}a\cf1 b\cf0 c\cf2 d\cf3 e\cf9 f})"
            << u"a{c=#ff0000:b}c{c=#000000:d}{c=#008000:e}f¶"_qs;
        QTest::newRow("colour table with explicit first colour")
            << R"({\rtf1{\colortbl\red0\green0\blue255;}\cf0 a})" << u"{c=#0000ff:a}¶"_qs;
        QTest::newRow("alignment") << R"({\rtf1\qc a\par\pard b\par\qr c\par\qj d\par\ql e\par})"
                                   << u"a¶Cb¶c¶Rd¶Je¶"_qs;
        QTest::newRow("alignment is the one at the paragraph's end") << R"({\rtf1 a\qc\par b})" << u"a¶Cb¶C"_qs;
        QTest::newRow("group keeps paragraph format") << R"({\rtf1{\qc a\par}b\par})" << u"a¶Cb¶"_qs;
        QTest::newRow("line break and tab") << R"({\rtf1 a\line b\tab c	d})" << u"a\u2028b\tc\td¶"_qs;
        QTest::newRow("special characters")
            << R"({\rtf1\emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote\~\-\_\emspace\enspace})"
            << u"\u2014\u2013\u2022\u2018\u2019\u201C\u201D\u00A0\u00AD\u2011\u2003\u2002¶"_qs;
        QTest::newRow("escaped characters") << R"({\rtf1 \{a\} b\\c})" << u"{a} b\\c¶"_qs;
        QTest::newRow("hidden text") << R"({\rtf1 a{\v hidden}b\v c\v0 d})" << u"abd¶"_qs;
        QTest::newRow("backslash before line end is a paragraph") << "{\\rtf1 a\\\r\nb}" << u"a¶b¶"_qs;
        QTest::newRow("table cells and rows")
            << R"({\rtf1\trowd\cellx100\cellx200 a\cell b\cell\row\trowd c\cell\cell d\cell\row after\par})"
            << u"a\tb¶c\t\td¶after¶"_qs;
        QTest::newRow("section and page breaks end an open paragraph only")
            << R"({\rtf1 a\sect b\par\page c\par\sect})" << u"a¶b¶c¶"_qs;
        QTest::newRow("field shows its result")
            << R"({\rtf1 see {\field{\*\fldinst HYPERLINK "http://x/"}{\fldrslt{\ul the site}}}.})"
            << u"see {u:the site}.¶"_qs;
        QTest::newRow("list text shows") << R"({\rtf1{\listtext\'95\tab}Item\par})" << u"\u2022\tItem¶"_qs;
        QTest::newRow("unknown words are ignored, their text shown")
            << R"({\rtf1\nosuchword12 a{\nosuchgroup b}\kerning1 c})" << u"abc¶"_qs;
        QTest::newRow("empty document") << R"({\rtf1})" << QString();
        QTest::newRow("only formatting") << R"({\rtf1\pard\qc\b})" << QString();
        QTest::newRow("text after the closing brace") << R"({\rtf1 a}b)" << u"a¶"_qs;
        QTest::newRow("blanks before the document") << " \r\n{\\rtf1 a}" << u"a¶"_qs;
    }

    void formatting()
    {
        ReadsAsExpected();
    }

    void unicode_data()
    {
        QTest::addColumn<QString>("rtf");
        QTest::addColumn<QString>("expected");

        QTest::newRow("\\u with fallback") << R"({\rtf1 caf\u233?s})" << u"cafés¶"_qs;
        QTest::newRow("\\u with \\'hh fallback") << R"({\rtf1 caf\u233\'e9s})" << u"cafés¶"_qs;
        QTest::newRow("negative \\u") << R"({\rtf1 \u-3913?})" << u"\uF0B7¶"_qs;
        QTest::newRow("surrogate pair") << R"({\rtf1 \u-10179\'3f\u-8704\'3f!})" << u"\U0001F600!¶"_qs;
        QTest::newRow("surrogate pair with \\uc0")
            << R"({\rtf1 \uc0 \u55357\uc1 \u56832\'3f end})" << u"\U0001F600 end¶"_qs;
        QTest::newRow("lone surrogate") << R"({\rtf1 a\u-10179?b})" << u"a\uFFFDb¶"_qs;
        QTest::newRow("whole code point") << R"({\rtf1 \u128512?})" << u"\U0001F600¶"_qs;
        QTest::newRow("\\uc0 skips nothing") << R"({\rtf1\uc0 \u233 x})" << u"éx¶"_qs;
        QTest::newRow("\\uc2 skips two") << R"({\rtf1\uc2 \u233\'e9\'e9x})" << u"éx¶"_qs;
        QTest::newRow("a control word counts as one") << R"({\rtf1\uc2 \u8212\'97\emdash x})" << u"\u2014x¶"_qs;
        QTest::newRow("\\uc is scoped by groups") << R"({\rtf1{\uc2 \u233 ab}\u233 cd})" << u"ééd¶"_qs;
        QTest::newRow("fallback ends at a group boundary") << R"({\rtf1\uc3 \u233{\b x}y})" << u"é{b:x}y¶"_qs;
        QTest::newRow("\\u0 and controls dropped") << R"({\rtf1 a\u0?\u13?\u9?b})" << u"a\tb¶"_qs;
        QTest::newRow("absurd \\u") << R"({\rtf1 a\u99999999999?b\u-99999?c})" << u"a\uFFFDb\uFFFDc¶"_qs;
        QTest::newRow("\\'hh in 1252 by default") << R"({\rtf1 caf\'e9 \'80 \'93q\'94})" << u"café € “q”¶"_qs;
        QTest::newRow("\\ansicpg1251") << R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8\'e2\'e5\'f2})" << u"Привет¶"_qs;
        QTest::newRow("\\ansicpg1253") << R"({\rtf1\ansi\ansicpg1253 \'e1\'e2\'e3})" << u"αβγ¶"_qs;
        QTest::newRow("\\ansicpg1250") << R"({\rtf1\ansi\ansicpg1250 \'9a\'e8})" << u"šč¶"_qs;
        QTest::newRow("unknown code page falls back to 1252") << R"({\rtf1\ansicpg4242 \'e9})" << u"é¶"_qs;
        QTest::newRow("\\mac") << R"({\rtf1\mac \'8e})" << u"é¶"_qs;
        QTest::newRow("\\pc") << R"({\rtf1\pc \'82})" << u"é¶"_qs;
        QTest::newRow("font charset over document code page")
            << R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0\fcharset204 Arial CYR;}{\f1\fcharset0 Arial;}}\f0\'cf\f1\'cf})"
            << u"{f=Arial CYR:П}{f=Arial:Ï}¶"_qs;
        QTest::newRow("font name in its charset")
            << R"({\rtf1{\fonttbl{\f0\fcharset128 \'82\'6c\'82\'72 Mincho;}}\f0 x})" << u"{f=ＭＳ Mincho:x}¶"_qs;
        QTest::newRow("double-byte characters") << R"({\rtf1\ansicpg932 \'82\'a0\'82\'a2})" << u"あい¶"_qs;
        QTest::newRow("second byte written as a letter") << R"({\rtf1\ansicpg932 \'83e\'83X\'83g})" << u"テスト¶"_qs;
        QTest::newRow("second byte written as an escaped backslash")
            << R"({\rtf1\ansicpg932 \'95\\\'8e\'a6})" << u"表示¶"_qs;
        QTest::newRow("UTF-8 code page") << R"({\rtf1\ansicpg65001 \'c3\'a9\'e2\'82\'ac})" << u"é€¶"_qs;
        QTest::newRow("\\upr shows the Unicode version")
            << R"({\rtf1{\upr{caf\'e9 ansi}{\*\ud{caf\u233? unicode}}}})" << u"café unicode¶"_qs;
        QTest::newRow("characters above 0x7F in text are themselves")
            << u"{\\rtf1\\ansicpg1251 café \u65E5}"_qs << u"café \u65E5¶"_qs;
    }

    void unicode()
    {
        ReadsAsExpected();
    }

    // Literal bytes above 0x7F in a file are in the document's code page.
    void literalBytes()
    {
        RecordingSink sink;
        RtfReader(sink).Read(QByteArrayView("{\\rtf1\\ansi\\ansicpg1251 \xcf\xf0\xe8\\par caf\\'e9}"));
        QCOMPARE(sink.events, u"При¶caf\u0439¶"_qs);

        RecordingSink latin;
        RtfReader(latin).Read(QByteArrayView("{\\rtf1\\ansi caf\xe9 \x80}"));
        QCOMPARE(latin.events, u"café €¶"_qs);

        RecordingSink plain;
        RtfReader(plain).Read(QByteArrayView("caf\xe9\r\n\x93q\x94"));
        QCOMPARE(plain.events, u"café¶“q”¶"_qs);
    }

    void destinationsSkipped_data()
    {
        QTest::addColumn<QString>("rtf");
        QTest::addColumn<QString>("expected");

        QTest::newRow("stylesheet and info")
            << R"({\rtf1{\stylesheet{\s0\b Normal;}{\s1 Heading 1;}}{\info{\title T}{\author A}}a\s1 b})" << u"ab¶"_qs;
        QTest::newRow("starred unknown with nested groups") << R"({\rtf1 a{\*\nosuchthing x{y{z}}\b}b})" << u"ab¶"_qs;
        QTest::newRow("starred known destinations")
            << R"({\rtf1{\*\generator Writer;}{\*\themedata 0102}{\*\bkmkstart m}a{\*\bkmkend m}})" << u"a¶"_qs;
        QTest::newRow("picture with hex data")
            << R"({\rtf1 a{\pict\pngblip\picw10\pich10 89504e470d0a1a0a}b})" << u"ab¶"_qs;
        QTest::newRow("\\bin data with braces and backslashes") << "{\\rtf1 a{\\pict\\bin6 }}{\\{x}b}" << u"ab¶"_qs;
        QTest::newRow("\\bin in the text") << "{\\rtf1 a\\bin3 }{xb}" << u"ab¶"_qs;
        QTest::newRow("starred picture") << R"({\rtf1 a{\*\shppict{\pict\emfblip 0100}}{\nonshppict{\pict 01}}b})"
                                         << u"ab¶"_qs;
        QTest::newRow("object") << R"({\rtf1 a{\object\objemb{\*\objclass Paint}{\objdata 01}{\result{\pict 00}}}b})"
                                << u"ab¶"_qs;
        QTest::newRow("headers, footers and footnotes")
            << R"({\rtf1{\header page head}{\footerl foot}a{\super\chftn}{\footnote\pard note\par}b\par})" << u"ab¶"_qs;
        QTest::newRow("field instruction without star") << R"({\rtf1{\field{\fldinst PAGE}{\fldrslt 7}}})" << u"7¶"_qs;
        QTest::newRow("skipped groups leak no formatting")
            << R"({\rtf1{\*\x\b\qc}{\fonttbl{\f0\i Arial;}}{\colortbl;\red1;}x})" << u"x¶"_qs;
        QTest::newRow("list tables")
            << R"({\rtf1{\*\listtable{\list{\listlevel{\leveltext\'01\u8226 ?;}}}}{\listoverridetable{\listoverride\ls1}}a})"
            << u"a¶"_qs;
        QTest::newRow("star in the middle of a group means nothing") << R"({\rtf1{a\*\b b}})" << u"a{b:b}¶"_qs;
        QTest::newRow("destination word in the document's own group") << R"({\rtf1\pict a})" << u"a¶"_qs;
    }

    void destinationsSkipped()
    {
        ReadsAsExpected();
    }

    void malformed_data()
    {
        QTest::addColumn<QString>("rtf");
        QTest::addColumn<QString>("expected");

        QTest::newRow("extra closing braces") << R"({\rtf1 a}}}b{c})" << u"a¶"_qs;
        QTest::newRow("missing closing braces") << R"({\rtf1 a{\b b{\i c)" << u"a{b:b}{b,i:c}¶"_qs;
        QTest::newRow("truncated in a control word") << R"({\rtf1 a\b)" << u"a¶"_qs;
        QTest::newRow("truncated backslash") << "{\\rtf1 a\\" << u"a¶"_qs;
        QTest::newRow("truncated \\'hh") << R"({\rtf1 a\'e)" << u"a¶"_qs;
        QTest::newRow("truncated in a skipped group") << R"({\rtf1 a{\*\x b)" << u"a¶"_qs;
        QTest::newRow("truncated after \\u") << R"({\rtf1 \u233)" << u"é¶"_qs;
        QTest::newRow("truncated font table") << R"({\rtf1{\fonttbl{\f0 Ari)" << QString();
        QTest::newRow("bad hex") << R"({\rtf1 \'zz\'4}b})" << u"zz¶"_qs;
        QTest::newRow("huge font size") << R"({\rtf1\fs99999999999999999999 a\fs-4 b})" << u"{fs=3276:a}b¶"_qs;
        QTest::newRow("huge indexes")
            << R"({\rtf1{\fonttbl{\f0 Arial;}}{\colortbl;\red9;}\f-99999999999 a\cf2147483647 b\cf-5 c})" << u"abc¶"_qs;
        QTest::newRow("huge \\uc") << R"({\rtf1\uc999999999 \u233 abcdefghij})" << u"éij¶"_qs;
        QTest::newRow("huge \\bin") << R"({\rtf1 a\bin99999999999 bcd})" << u"a¶"_qs;
        QTest::newRow("negative \\bin") << R"({\rtf1 a\bin-5 b})" << u"ab¶"_qs;
        QTest::newRow("huge colour components")
            << R"({\rtf1{\colortbl;\red9999\green-9\blue300;}\cf1 a})" << u"{c=#ff00ff:a}¶"_qs;
        QTest::newRow("junk characters") << QString("{\\rtf1 a\x01\x02\x7f"
                                                    "b\x1b}")
                                         << u"ab¶"_qs;
        QTest::newRow("NUL characters") << QString::fromLatin1("{\\rtf1 a\0b}", 11) << u"ab¶"_qs;
        QTest::newRow("endless control word")
            << "{\\rtf1 a\\" + QString(5000, u'x') + "999999999999999999999 b}" << u"ab¶"_qs;
        QTest::newRow("deep nesting") << "{\\rtf1 a" + QString(200000, u'{') + "b" + QString(200000, u'}') + "c}"
                                      << u"abc¶"_qs;
        QTest::newRow("formatting beyond the kept depth")
            << "{\\rtf1 " + QString(300, u'{') + "\\b x" + QString(300, u'}') + "y}" << u"{b:x}y¶"_qs;
        QTest::newRow("long double-byte text")
            << "{\\rtf1\\ansicpg932 " + QString("\\'83e").repeated(100000) + "}" << QString(100000, u'テ') + u'¶';
        QTest::newRow("unclosed deep nesting") << "{\\rtf1 a" + QString(100000, u'{') + "\\i b" << u"a{i:b}¶"_qs;
    }

    void malformed()
    {
        ReadsAsExpected();
    }

    // Random bytes after a valid start: no crash, no hang, and nothing a sink must not see.
    void binaryJunk()
    {
        QRandomGenerator random(20240611);
        for (int round = 0; round < 200; ++round) {
            QByteArray bytes("{\\rtf1\\ansi ");
            const int length = random.bounded(1, 2000);
            for (int i = 0; i < length; ++i) {
                // Mostly RTF's own punctuation, so that the junk reaches deep into the parser.
                static const char syntax[] = "{}\\\\\\'*ubfsin0123456789- ;";
                bytes.append(random.bounded(3) == 0 ? char(random.bounded(256))
                                                    : syntax[random.bounded(int(sizeof syntax) - 1)]);
            }
            RecordingSink sink;
            RtfReader(sink).Read(bytes);
            sink.Finish();
            QVERIFY2(sink.problems.isEmpty(), qPrintable(QString::number(round) + ": " + sink.problems.join("; ")));

            RecordingSink textSink;
            RtfReader(textSink).Read(QString::fromLatin1(bytes));
            textSink.Finish();
            QVERIFY2(textSink.problems.isEmpty(), qPrintable(textSink.problems.join("; ")));
        }
    }

    void truncations_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::newRow("LibreOffice formatted") << "libreoffice-formatted.rtf";
        QTest::newRow("LibreOffice lists and table") << "libreoffice-lists.rtf";
        QTest::newRow("AbiWord formatted") << "abiword-formatted.rtf";
    }

    // Every truncation of a real document reads without harm, and shows the start of the whole text: all of it but
    // possibly the last two characters, which may come from a \u number cut short after half a surrogate pair.
    void truncations()
    {
        QFETCH(QString, fixture);
        const QByteArray bytes = Fixture(fixture);
        QVERIFY(!bytes.isEmpty());
        const QString whole = RtfPlainText::FromRtf(bytes);
        QVERIFY(whole.size() > 20);
        for (qsizetype length = 0; length <= bytes.size(); ++length) {
            const QByteArrayView part = QByteArrayView(bytes).first(length);
            RecordingSink sink;
            RtfReader(sink).Read(part);
            sink.Finish();
            if (!sink.problems.isEmpty())
                QFAIL(qPrintable(QString("at %1: %2").arg(length).arg(sink.problems.join("; "))));
            if (!RtfReader::IsRtf(part))
                continue;
            const QString text = RtfPlainText::FromRtf(part);
            if (!whole.startsWith(text.chopped(std::min<qsizetype>(text.size(), 2))))
                QFAIL(qPrintable(QString("at %1: \"%2\" does not start \"%3\"").arg(length).arg(text, whole)));
        }
    }

    void plainTextInput_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("one line") << "Hello {world} \\b" << u"Hello {world} \\b¶"_qs;
        QTest::newRow("line ends of every kind") << "a\r\nb\rc\nd" << u"a¶b¶c¶d¶"_qs;
        QTest::newRow("trailing line end") << "a\r\n" << u"a¶¶"_qs;
        QTest::newRow("almost RTF") << "{\\rt a}" << u"{\\rt a}¶"_qs;
        QTest::newRow("RTF later in the text") << "x{\\rtf1 a}" << u"x{\\rtf1 a}¶"_qs;
    }

    void plainTextInput()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(Read(text), expected);
    }

    void plainText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("paragraphs") << R"({\rtf1 one\par two\par})"
                                    << "one\r\ntwo";
        QTest::newRow("last paragraph without \\par") << R"({\rtf1 one\par two})"
                                                      << "one\r\ntwo";
        QTest::newRow("empty last paragraph") << R"({\rtf1 one\par\par})"
                                              << "one\r\n";
        QTest::newRow("line break") << R"({\rtf1 one\line two})"
                                    << "one\r\ntwo";
        QTest::newRow("tabs stay, optional hyphens go") << R"({\rtf1 a\tab b\-c})"
                                                        << "a\tbc";
        QTest::newRow("formatting vanishes")
            << R"({\rtf1{\fonttbl{\f0 Arial;}}{\colortbl;\red255;}\f0\b\cf1 bold\b0  \qc centred\par})"
            << "bold centred";
        QTest::newRow("Unicode") << R"({\rtf1 \u1055?\u1088?\u1080? \u-10179?\u-8704?})" << u"При \U0001F600"_qs;
        QTest::newRow("empty document") << R"({\rtf1\ansi})"
                                        << "";
        QTest::newRow("plain text unchanged") << "Line 1\r\nLine 2\n\tx {\\b}"
                                              << "Line 1\r\nLine 2\n\tx {\\b}";
        QTest::newRow("empty text") << ""
                                    << "";
        QTest::newRow("blanks before RTF") << "\r\n {\\rtf1 a\\par}"
                                           << "a";
    }

    void plainText()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(RtfPlainText::FromRtf(text), expected);
    }

    void fixtures_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("expected");

        QTest::newRow("LibreOffice formatted")
            << "libreoffice-formatted.rtf"
            << u"{f=Liberation Serif,fs=24,c=#000000:Plain, }"
               u"{b,f=Liberation Serif,fs=24,c=#000000:bold}"
               u"{f=Liberation Serif,fs=24,c=#000000:, }"
               u"{i,f=Liberation Serif,fs=24,c=#000000:italic}"
               u"{f=Liberation Serif,fs=24,c=#000000:, }"
               u"{u,f=Liberation Serif,fs=24,c=#000000:underlined}"
               u"{f=Liberation Serif,fs=24,c=#000000: and }"
               u"{s,f=Liberation Serif,fs=24,c=#000000:struck}"
               u"{f=Liberation Serif,fs=24,c=#000000: text.}¶"
               u"{f=Liberation Serif,fs=24,c=#c00000:Red centred}"
               u"{f=Liberation Serif,fs=24,c=#000000: paragraph}¶C"
               u"{f=Liberation Mono,fs=36,c=#000000:Mono 18}"
               u"{f=Liberation Serif,fs=24,c=#000000: right}¶R"
               u"{f=Liberation Serif,fs=24,c=#000000:Café, naïve, “quotes” — dash, Ελληνικά, 日本語, emoji "
               u"\U0001F600 end}¶"_qs;
        QTest::newRow("LibreOffice breaks") << "libreoffice-breaks.rtf"
                                            << u"{f=DejaVu Serif,fs=24:Name\tValue\u2028Second line with }"
                                               u"{b,i,f=DejaVu Serif,fs=24,c=#0000ff:bold italic blue}"
                                               u"{f=DejaVu Serif,fs=24:.}¶J"
                                               u"{f=DejaVu Serif,fs=24:Кириллица и }"
                                               u"{f=Liberation Sans,fs=18:small sans}"
                                               u"{f=DejaVu Serif,fs=24: – {braces} and back\\slash}¶C"
                                               u"¶"
                                               u"{f=DejaVu Serif,fs=24:After an empty paragraph.}¶"_qs;
        QTest::newRow("AbiWord breaks") << "abiword-breaks.rtf"
                                        << u"{f=DejaVu Serif,fs=24:Name\tValue\u2028Second line with }"
                                           u"{b,i,f=DejaVu Serif,fs=24,c=#0000ff:bold italic blue}"
                                           u"{f=DejaVu Serif,fs=24:.}¶J"
                                           u"{f=DejaVu Serif,fs=24:Кириллица и }"
                                           u"{f=Liberation Sans,fs=18:small sans}"
                                           u"{f=DejaVu Serif,fs=24: – {braces} and back\\slash}¶C"
                                           u"¶"
                                           u"{f=DejaVu Serif,fs=24:After an empty paragraph.}¶"_qs;
    }

    void fixtures()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, expected);
        const QByteArray bytes = Fixture(fixture);
        QVERIFY(!bytes.isEmpty());
        RecordingSink sink;
        RtfReader(sink).Read(bytes);
        sink.Finish();
        QCOMPARE(sink.events, expected);
        QVERIFY2(sink.problems.isEmpty(), qPrintable(sink.problems.join("; ")));
    }

    void fixturePlainText_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("expected");

        QTest::newRow("LibreOffice lists and table")
            << "libreoffice-lists.rtf"
            << u"Shopping:\r\n\u2022\tBread\r\n\u2022\tMilk\r\nAuthor\tTitle\r\nTolstoy\tWar and Peace\r\n"
               u"See the site."_qs;
        QTest::newRow("AbiWord formatted")
            << "abiword-formatted.rtf"
            << u"Plain, bold, italic, underlined and struck text.\r\nRed centred paragraph\r\nMono 18 right\r\n"
               u"Café, naïve, “quotes” — dash, Ελληνικά, 日本語\U0001F600, emoji  end\r\n\r\n"_qs;
    }

    void fixturePlainText()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, expected);
        QCOMPARE(RtfPlainText::FromRtf(Fixture(fixture)), expected);
    }
};

QTEST_GUILESS_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
