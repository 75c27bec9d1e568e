#include "platform/RtfReader.h"

#include "platform/RtfCodePage.h"
#include "platform/RtfSink.h"

#include <QHash>

#include <algorithm>
#include <limits>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace
{

// The control words the reader acts on; every other word is read and ignored.
enum class Word {
    Par,
    Line,
    Tab,
    SectionEnd, // \sect, \page: end the paragraph they interrupt, if any
    Cell,
    Row,
    Plain,
    Pard,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Hidden,
    Font,
    FontSize,
    Color,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    UnicodeSkip,
    Unicode,
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCodePage,
    DefaultFont,
    FontCharset,
    FontCodePage,
    Red,
    Green,
    Blue,
    Character, // a word that stands for one character
    FontTable,
    ColorTable,
    Upr,
    Ud,
    Skip, // a destination whose text is not part of the document's text
};

struct WordInfo {
    Word kind = Word::Skip;
    char16_t character = 0;
};

const QHash<QStringView, WordInfo>& Words()
{
    static const QHash<QStringView, WordInfo> words = [] {
        QHash<QStringView, WordInfo> w;
        const std::pair<const char16_t*, Word> plain[] = {
            {u"par", Word::Par},           {u"line", Word::Line},
            {u"tab", Word::Tab},           {u"sect", Word::SectionEnd},
            {u"page", Word::SectionEnd},   {u"cell", Word::Cell},
            {u"nestcell", Word::Cell},     {u"row", Word::Row},
            {u"nestrow", Word::Row},       {u"plain", Word::Plain},
            {u"pard", Word::Pard},         {u"b", Word::Bold},
            {u"i", Word::Italic},          {u"ulnone", Word::UnderlineNone},
            {u"strike", Word::Strike},     {u"striked", Word::Strike},
            {u"v", Word::Hidden},          {u"f", Word::Font},
            {u"fs", Word::FontSize},       {u"cf", Word::Color},
            {u"ql", Word::AlignLeft},      {u"qc", Word::AlignCenter},
            {u"qr", Word::AlignRight},     {u"qj", Word::AlignJustify},
            {u"qd", Word::AlignJustify},   {u"uc", Word::UnicodeSkip},
            {u"u", Word::Unicode},         {u"ansi", Word::Ansi},
            {u"mac", Word::Mac},           {u"pc", Word::Pc},
            {u"pca", Word::Pca},           {u"ansicpg", Word::AnsiCodePage},
            {u"deff", Word::DefaultFont},  {u"fcharset", Word::FontCharset},
            {u"cpg", Word::FontCodePage},  {u"red", Word::Red},
            {u"green", Word::Green},       {u"blue", Word::Blue},
            {u"fonttbl", Word::FontTable}, {u"colortbl", Word::ColorTable},
            {u"upr", Word::Upr},           {u"ud", Word::Ud},
        };
        for (const auto& [name, kind] : plain)
            w.insert(QStringView(name), {kind, 0});

        // Every underline style shows as an underline; \ulc (its colour) is not one of them.
        for (const char16_t* name :
             {u"ul", u"uld", u"uldash", u"uldashd", u"uldashdd", u"uldb", u"ulhwave", u"ulldash", u"ulth", u"ulthd",
              u"ulthdash", u"ulthdashd", u"ulthdashdd", u"ulthldash", u"ululdbwave", u"ulw", u"ulwave"})
            w.insert(QStringView(name), {Word::Underline, 0});

        const std::pair<const char16_t*, char16_t> characters[] = {
            {u"emdash", 0x2014},  {u"endash", 0x2013},    {u"bullet", 0x2022},    {u"lquote", 0x2018},
            {u"rquote", 0x2019},  {u"ldblquote", 0x201C}, {u"rdblquote", 0x201D}, {u"emspace", 0x2003},
            {u"enspace", 0x2002}, {u"qmspace", 0x2005},   {u"zwj", 0x200D},       {u"zwnj", 0x200C},
            {u"ltrmark", 0x200E}, {u"rtlmark", 0x200F},   {u"zwbo", 0x200B},
        };
        for (const auto& [name, character] : characters)
            w.insert(QStringView(name), {Word::Character, character});

        // Destinations that some writers put without the \* that would tell a reader to skip them. The keys are
        // views into this text, which lives as long as the table.
        static const QString skipped = QStringLiteral(
            "info stylesheet pict object objdata objclass objname header headerl headerr headerf footer footerl "
            "footerr footerf footnote annotation atnid atnauthor atndate atnicn atnref atntime atrfstart atrfend "
            "bkmkstart bkmkend fldinst datafield fldtype formfield listtable listoverridetable revtbl rsidtbl "
            "filetbl pgdsctbl xmlnstbl nonshppict shp shpinst shppict template xe tc txe rxe pn pntxta pntxtb "
            "ftnsep ftnsepc ftncn aftnsep aftnsepc aftncn docvar userprops private author operator title subject "
            "keywords comment doccomm hlinkbase creatim revtim printim buptim themedata colorschememapping "
            "datastore latentstyles generator falt panose fname picprop blipuid category company manager pgptbl "
            "protusertbl password passwordhash wgrffmtfilter listpicture mmathPr");
        for (QStringView name : QStringView(skipped).split(u' '))
            w.insert(name, {Word::Skip, 0});
        return w;
    }();
    return words;
}

enum class Destination { Body, FontTable, ColorTable, Upr };

// Everything RTF scopes by groups: "{" saves it, "}" restores it.
struct GroupState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool hidden = false;
    int font = -1;       // font table index; -1: the default font (\deff)
    int halfPoints = 0;  // 0: not said
    int color = -1;      // colour table index; -1: automatic
    int unicodeSkip = 1; // \uc: fallback characters after each \u
    RtfParagraphFormat paragraph;
    Destination destination = Destination::Body;

    bool SameCharacters(const GroupState& o) const
    {
        return bold == o.bold && italic == o.italic && underline == o.underline && strikeOut == o.strikeOut &&
               font == o.font && halfPoints == o.halfPoints && color == o.color;
    }

    void ResetCharacters()
    {
        bold = italic = underline = strikeOut = hidden = false;
        font = -1;
        halfPoints = 0;
        color = -1;
    }
};

// One control word (\word with an optional number) or control symbol (\ and one other character).
struct Control {
    QStringView word; // empty for a symbol
    char16_t symbol = 0;
    bool hasParameter = false;
    int parameter = 0; // for \'hh the byte
};

struct FontInfo {
    QString family;
    int codePage = 0; // 0: the document's
};

bool IsAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int HexValue(QChar c)
{
    if (IsDigit(c))
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

// Surrogates that \u gave without their partner would make an invalid string.
QString PairedSurrogatesOnly(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

class Parser
{
public:
    Parser(RtfSink& sink, QStringView input, bool literalBytes)
        : m_sink(sink), m_in(input), m_literalBytes(literalBytes)
    {
    }

    void Run();

private:
    GroupState& State() { return m_stack.back(); }

    Control Lex();
    void SkippedToken(char16_t c);
    bool SkipsAtOpening(const Control* control);
    void SkipGroup();

    void OpenGroup();
    void CloseGroup();
    void ControlToken(const Control& control);
    void SymbolToken(const Control& control);
    void WordToken(const Control& control);
    void BodyWord(Word kind, const Control& control);
    void Character(char16_t c);

    void AppendText(QStringView text);
    void AppendUnicode(const Control& control);
    void Deliver(QStringView text);
    void FlushBytes();
    void FlushRun();
    void EndParagraph();
    void AddByte(char byte);

    const RtfCodePage& CodePage();
    QString FontFamily(int font) const;
    void StartFont(int index);
    void CommitFont();
    void CommitColor();

    RtfSink& m_sink;
    QStringView m_in;
    qsizetype m_pos = 0;
    bool m_literalBytes = false;
    bool m_finished = false;

    std::vector<GroupState> m_stack;
    int m_depth = 0;     // braces open, including those beyond MaxDepth
    int m_overflow = 0;  // groups open beyond MaxDepth, which got no state of their own
    int m_skipDepth = 0; // the depth of the group being skipped; 0: none
    bool m_atGroupStart = false;
    bool m_uprChild = false;
    bool m_starPending = false;
    int m_fallbackLeft = 0;

    int m_documentCodePage = RtfCodePage::Western;
    int m_defaultFont = -1;
    std::map<int, RtfCodePage> m_codePages;
    QHash<int, FontInfo> m_fonts;
    std::vector<std::optional<RtfCharFormat::Color>> m_colors;

    bool m_fontEntryActive = false;
    int m_fontEntryIndex = 0;
    int m_fontEntryDepth = 0;
    int m_fontEntryCodePage = 0;
    QString m_fontEntryName;
    int m_red = -1;
    int m_green = -1;
    int m_blue = -1;

    QByteArray m_bytes;                     // \'hh and literal bytes not yet decoded; a character may take two
    bool m_bytesEndInsideCharacter = false; // after the first byte of a two-byte character
    QString m_run;
    GroupState m_runState;
    int m_pendingCells = 0; // cell ends not yet written as tabs; the row's last one never is
    bool m_paragraphOpen = false;
};

void Parser::Run()
{
    m_stack.push_back(GroupState{});
    while (m_pos < m_in.size() && m_in[m_pos] != u'{')
        ++m_pos;
    while (!m_finished && m_pos < m_in.size()) {
        const char16_t c = m_in[m_pos++].unicode();
        if (m_skipDepth > 0) {
            SkippedToken(c);
            continue;
        }
        switch (c) {
        case u'{':
            OpenGroup();
            break;
        case u'}':
            CloseGroup();
            break;
        case u'\\':
            ControlToken(Lex());
            break;
        case u'\r':
        case u'\n':
            break;
        default:
            Character(c);
            break;
        }
    }
    // Truncated input ends here too: what was read so far is kept.
    FlushBytes();
    FlushRun();
    if (m_paragraphOpen)
        m_sink.ParagraphEnd(State().paragraph);
}

// Reads what follows a backslash. \bin's data is stepped over here, so that no reader state sees it.
Control Parser::Lex()
{
    Control control;
    const qsizetype size = m_in.size();
    if (m_pos >= size)
        return control;
    const qsizetype start = m_pos;
    while (m_pos < size && IsAsciiLetter(m_in[m_pos]))
        ++m_pos;
    if (m_pos == start) {
        control.symbol = m_in[m_pos++].unicode();
        if (control.symbol == u'\'') {
            int value = 0;
            int digits = 0;
            while (digits < 2 && m_pos < size && HexValue(m_in[m_pos]) >= 0) {
                value = value * 16 + HexValue(m_in[m_pos++]);
                ++digits;
            }
            control.hasParameter = digits == 2;
            control.parameter = value;
        }
        return control;
    }
    control.word = m_in.sliced(start, m_pos - start);

    qsizetype p = m_pos;
    const bool negative = p + 1 < size && m_in[p] == u'-' && IsDigit(m_in[p + 1]);
    if (negative)
        ++p;
    if (p < size && IsDigit(m_in[p])) {
        // Absurdly long numbers saturate instead of overflowing.
        qint64 value = 0;
        for (; p < size && IsDigit(m_in[p]); ++p)
            value = std::min<qint64>(value * 10 + (m_in[p].unicode() - u'0'), qint64(1) << 32);
        value = std::min<qint64>(value, std::numeric_limits<int>::max());
        control.hasParameter = true;
        control.parameter = int(negative ? -value : value);
        m_pos = p;
    }
    if (m_pos < size && m_in[m_pos] == u' ')
        ++m_pos;

    if (control.word == u"bin" && control.hasParameter && control.parameter > 0)
        m_pos += std::min<qsizetype>(control.parameter, size - m_pos);
    return control;
}

void Parser::SkippedToken(char16_t c)
{
    switch (c) {
    case u'{':
        ++m_depth;
        break;
    case u'}':
        if (m_depth == m_skipDepth) {
            m_skipDepth = 0;
            CloseGroup();
        } else {
            --m_depth;
        }
        break;
    case u'\\':
        Lex(); // steps over \{, \}, \\ and \bin data
        break;
    default:
        break;
    }
}

// The first tokens of a group decide whether it is one to skip: "\*" followed by a word the reader does not
// know (all but \ud), and, inside \upr, every group but the \ud one (the other holds the same text in a code page).
bool Parser::SkipsAtOpening(const Control* control)
{
    if (m_starPending) {
        m_starPending = false;
        if (!control || control->word != u"ud") {
            SkipGroup();
            return true;
        }
        return false;
    }
    if (!m_atGroupStart)
        return false;
    m_atGroupStart = false;
    const bool uprChild = std::exchange(m_uprChild, false);
    if (control && control->word.isEmpty() && control->symbol == u'*') {
        m_starPending = true;
        return false;
    }
    if (uprChild && !(control && control->word == u"ud")) {
        SkipGroup();
        return true;
    }
    return false;
}

void Parser::SkipGroup()
{
    m_starPending = false;
    // The document's own group is never skipped whole: a stray destination word there would hide everything.
    if (m_depth >= 2)
        m_skipDepth = m_depth;
}

void Parser::OpenGroup()
{
    FlushBytes();
    if (SkipsAtOpening(nullptr)) {
        ++m_depth; // the group just opened lies inside the one now skipped
        return;
    }
    m_fallbackLeft = 0;
    const bool uprChild = State().destination == Destination::Upr;
    ++m_depth;
    if (m_stack.size() <= size_t(RtfReader::MaxDepth)) {
        GroupState copy = State();
        m_stack.push_back(std::move(copy));
    } else {
        ++m_overflow;
    }
    m_atGroupStart = true;
    m_uprChild = uprChild;
}

void Parser::CloseGroup()
{
    FlushBytes();
    m_fallbackLeft = 0;
    m_atGroupStart = false;
    m_uprChild = false;
    m_starPending = false;
    if (m_fontEntryActive && m_depth == m_fontEntryDepth)
        CommitFont(); // an entry without its ";"
    if (m_depth <= 1) {
        m_finished = true; // the document's closing brace; anything after it is not part of the document
        return;
    }
    --m_depth;
    if (m_overflow > 0)
        --m_overflow;
    else
        m_stack.pop_back();
}

void Parser::ControlToken(const Control& control)
{
    // Bytes wait for anything that may still belong to their character; everything else may change the font,
    // and with it the code page, so they are decoded first.
    const bool mayContinueBytes = control.word.isEmpty() && (control.symbol == u'\'' || control.symbol == u'\\' ||
                                                             control.symbol == u'{' || control.symbol == u'}');
    if (!mayContinueBytes)
        FlushBytes();
    if (SkipsAtOpening(&control))
        return;
    if (control.word.isEmpty() && control.symbol == u'*')
        return; // at a group's start handled above; anywhere else it means nothing
    if (m_fallbackLeft > 0) {
        --m_fallbackLeft;
        return;
    }
    if (control.word.isEmpty())
        SymbolToken(control);
    else
        WordToken(control);
}

void Parser::SymbolToken(const Control& control)
{
    switch (control.symbol) {
    case u'\'':
        if (control.hasParameter)
            AddByte(char(control.parameter));
        break;
    case u'\\':
    case u'{':
    case u'}':
        // In the Far East code pages these are also second bytes of characters.
        if (m_bytesEndInsideCharacter)
            AddByte(char(control.symbol));
        else
            AppendText(QStringView(&control.symbol, 1));
        break;
    case u'~':
        AppendText(u"\u00A0");
        break;
    case u'-':
        AppendText(u"\u00AD");
        break;
    case u'_':
        AppendText(u"\u2011");
        break;
    case u'\t':
        AppendText(u"\t");
        break;
    case u'\r':
    case u'\n':
        if (State().destination == Destination::Body)
            EndParagraph(); // a backslash before a line end is an old way of writing \par
        break;
    default:
        break; // \| \: and symbols nobody defined
    }
}

void Parser::WordToken(const Control& control)
{
    const auto it = Words().constFind(control.word);
    if (it == Words().cend())
        return;
    const WordInfo info = *it;
    GroupState& state = State();

    switch (info.kind) {
    case Word::Skip:
        SkipGroup();
        return;
    case Word::FontTable:
        if (m_depth >= 2)
            state.destination = Destination::FontTable;
        return;
    case Word::ColorTable:
        if (m_depth >= 2) {
            state.destination = Destination::ColorTable;
            m_red = m_green = m_blue = -1;
        }
        return;
    case Word::Upr:
        if (m_depth >= 2)
            state.destination = Destination::Upr;
        return;
    case Word::Ud:
        state.destination = Destination::Body;
        return;
    case Word::Unicode:
        AppendUnicode(control);
        return;
    case Word::Character:
        AppendText(QStringView(&info.character, 1));
        return;
    case Word::Tab:
        AppendText(u"\t");
        return;
    default:
        break;
    }

    switch (state.destination) {
    case Destination::FontTable:
        if (info.kind == Word::Font)
            StartFont(control.hasParameter ? control.parameter : 0);
        else if (info.kind == Word::FontCharset && m_fontEntryActive)
            m_fontEntryCodePage = RtfCodePage::FromCharset(control.parameter);
        else if (info.kind == Word::FontCodePage && m_fontEntryActive && control.parameter > 0)
            m_fontEntryCodePage = control.parameter;
        return;
    case Destination::ColorTable: {
        const int value = std::clamp(control.parameter, 0, 255);
        if (info.kind == Word::Red)
            m_red = value;
        else if (info.kind == Word::Green)
            m_green = value;
        else if (info.kind == Word::Blue)
            m_blue = value;
        return;
    }
    case Destination::Upr:
        return;
    case Destination::Body:
        BodyWord(info.kind, control);
        return;
    }
}

void Parser::BodyWord(Word kind, const Control& control)
{
    GroupState& state = State();
    const bool on = !control.hasParameter || control.parameter != 0;
    switch (kind) {
    case Word::Par:
    case Word::Row:
        EndParagraph();
        break;
    case Word::Line:
        AppendText(u"\u2028");
        break;
    case Word::SectionEnd:
        if (m_paragraphOpen)
            EndParagraph();
        break;
    case Word::Cell:
        ++m_pendingCells;
        m_paragraphOpen = true;
        break;
    case Word::Plain:
        state.ResetCharacters();
        break;
    case Word::Pard:
        state.paragraph = {};
        break;
    case Word::Bold:
        state.bold = on;
        break;
    case Word::Italic:
        state.italic = on;
        break;
    case Word::Underline:
        state.underline = on;
        break;
    case Word::UnderlineNone:
        state.underline = false;
        break;
    case Word::Strike:
        state.strikeOut = on;
        break;
    case Word::Hidden:
        state.hidden = on;
        break;
    case Word::Font:
        state.font = control.hasParameter ? control.parameter : 0;
        break;
    case Word::FontSize:
        // \fs alone is the RTF default of 12 pt; sizes beyond 1638 pt are junk, not intent.
        state.halfPoints = !control.hasParameter ? 24 : std::clamp(control.parameter, 0, 3276);
        break;
    case Word::Color:
        state.color = control.hasParameter ? std::max(control.parameter, -1) : 0;
        break;
    case Word::AlignLeft:
        state.paragraph.alignment = RtfParagraphFormat::Alignment::Left;
        break;
    case Word::AlignCenter:
        state.paragraph.alignment = RtfParagraphFormat::Alignment::Center;
        break;
    case Word::AlignRight:
        state.paragraph.alignment = RtfParagraphFormat::Alignment::Right;
        break;
    case Word::AlignJustify:
        state.paragraph.alignment = RtfParagraphFormat::Alignment::Justify;
        break;
    case Word::UnicodeSkip:
        // Real fallbacks are a few bytes long; a huge count would swallow the text after every \u.
        if (control.hasParameter)
            state.unicodeSkip = std::clamp(control.parameter, 0, 8);
        break;
    case Word::Ansi:
        m_documentCodePage = RtfCodePage::Western;
        break;
    case Word::Mac:
        m_documentCodePage = 10000;
        break;
    case Word::Pc:
        m_documentCodePage = 437;
        break;
    case Word::Pca:
        m_documentCodePage = 850;
        break;
    case Word::AnsiCodePage:
        if (control.parameter > 0 && control.parameter <= 65535)
            m_documentCodePage = control.parameter;
        break;
    case Word::DefaultFont:
        if (control.hasParameter)
            m_defaultFont = control.parameter;
        break;
    default:
        break;
    }
}

void Parser::Character(char16_t c)
{
    if (SkipsAtOpening(nullptr))
        return;
    if (m_fallbackLeft > 0) {
        --m_fallbackLeft;
        return;
    }
    if (m_literalBytes && c >= 0x80 && c <= 0xFF) {
        AddByte(char(c));
        return;
    }
    if (c >= 0x40 && c < 0x7F && m_bytesEndInsideCharacter) {
        AddByte(char(c));
        return;
    }
    if (c == u'\t' || (c >= 0x20 && c != 0x7F))
        AppendText(QStringView(&c, 1));
    // Other control characters are junk: RTF writes none.
}

void Parser::AddByte(char byte)
{
    // The code page cannot change while bytes wait: everything that could change it decodes them first.
    m_bytesEndInsideCharacter = !m_bytesEndInsideCharacter && CodePage().IsLeadByte(quint8(byte));
    m_bytes.append(byte);
}

void Parser::AppendText(QStringView text)
{
    FlushBytes();
    Deliver(text);
}

void Parser::AppendUnicode(const Control& control)
{
    if (!control.hasParameter)
        return;
    qint64 value = control.parameter;
    if (value < 0 && value >= -32768)
        value += 65536; // RTF numbers are signed 16-bit, so units above 32767 come negative
    QString text;
    if (value == '\t')
        text = QStringLiteral("\t");
    else if (value >= 0x20 && value <= 0xFFFF && value != 0x7F)
        text = QChar(char16_t(value)); // surrogates too: a pair comes as two \u
    else if (value > 0xFFFF && value <= 0x10FFFF) {
        const char32_t codePoint = char32_t(value); // not standard, but some writers give whole code points
        text = QString::fromUcs4(&codePoint, 1);
    } else if (value < 0 || value > 0x10FFFF) {
        text = QChar(QChar::ReplacementCharacter);
    } // other control characters are no text
    AppendText(text);
    m_fallbackLeft = State().unicodeSkip;
}

// Text goes where the current group says: the document, a font name or the colour table's separators.
void Parser::Deliver(QStringView text)
{
    if (text.isEmpty())
        return;
    GroupState& state = State();
    switch (state.destination) {
    case Destination::Body:
        if (state.hidden)
            return;
        if (!m_run.isEmpty() && !m_runState.SameCharacters(state))
            FlushRun();
        if (m_run.isEmpty())
            m_runState = state;
        for (; m_pendingCells > 0; --m_pendingCells)
            m_run.append(u'\t');
        m_run.append(text);
        m_paragraphOpen = true;
        break;
    case Destination::FontTable:
        for (QChar c : text) {
            if (c == u';')
                CommitFont();
            else if (m_fontEntryActive)
                m_fontEntryName.append(c);
        }
        break;
    case Destination::ColorTable:
        for (QChar c : text)
            if (c == u';')
                CommitColor();
        break;
    case Destination::Upr:
        break;
    }
}

void Parser::FlushBytes()
{
    if (m_bytes.isEmpty())
        return;
    QString text = CodePage().Decode(m_bytes);
    m_bytes.clear();
    m_bytesEndInsideCharacter = false;
    text.removeIf([](QChar c) { return c < u' ' && c != u'\t'; });
    Deliver(text);
}

void Parser::FlushRun()
{
    if (m_run.isEmpty())
        return;
    RtfCharFormat format;
    format.bold = m_runState.bold;
    format.italic = m_runState.italic;
    format.underline = m_runState.underline;
    format.strikeOut = m_runState.strikeOut;
    format.fontFamily = FontFamily(m_runState.font);
    format.fontSizeHalfPoints = m_runState.halfPoints;
    if (m_runState.color >= 0 && size_t(m_runState.color) < m_colors.size())
        format.color = m_colors[size_t(m_runState.color)];
    m_sink.Text(PairedSurrogatesOnly(std::exchange(m_run, QString())), format);
}

void Parser::EndParagraph()
{
    FlushBytes();
    FlushRun();
    m_pendingCells = 0;
    m_paragraphOpen = false;
    m_sink.ParagraphEnd(State().paragraph);
}

const RtfCodePage& Parser::CodePage()
{
    const GroupState& state = State();
    int number = 0;
    if (state.destination == Destination::FontTable) {
        number = m_fontEntryCodePage;
    } else {
        const auto font = m_fonts.constFind(state.font >= 0 ? state.font : m_defaultFont);
        if (font != m_fonts.cend())
            number = font->codePage;
    }
    if (number <= 0)
        number = m_documentCodePage;
    auto page = m_codePages.find(number);
    if (page == m_codePages.end())
        page = m_codePages.emplace(number, RtfCodePage(number)).first;
    return page->second;
}

QString Parser::FontFamily(int font) const
{
    return m_fonts.value(font >= 0 ? font : m_defaultFont).family;
}

void Parser::StartFont(int index)
{
    CommitFont();
    m_fontEntryActive = true;
    m_fontEntryIndex = index;
    m_fontEntryDepth = m_depth;
    m_fontEntryCodePage = 0;
    m_fontEntryName.clear();
}

void Parser::CommitFont()
{
    FlushBytes();
    if (!m_fontEntryActive)
        return;
    m_fontEntryActive = false;
    const QString family = m_fontEntryName.trimmed();
    if (!family.isEmpty())
        m_fonts.insert(m_fontEntryIndex, FontInfo{family, m_fontEntryCodePage});
}

void Parser::CommitColor()
{
    // An entry that gives no component is the automatic colour (usually the first, ";").
    if (m_red < 0 && m_green < 0 && m_blue < 0)
        m_colors.emplace_back(std::nullopt);
    else
        m_colors.emplace_back(RtfCharFormat::Color{quint8(std::max(m_red, 0)), quint8(std::max(m_green, 0)),
                                                   quint8(std::max(m_blue, 0))});
    m_red = m_green = m_blue = -1;
}

template <class View> qsizetype LeadingBlanks(View text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
        ++i;
    return i;
}

} // namespace

bool RtfReader::IsRtf(QStringView text)
{
    return text.sliced(LeadingBlanks(text)).startsWith(QLatin1String("{\\rtf"));
}

bool RtfReader::IsRtf(QByteArrayView bytes)
{
    return bytes.sliced(LeadingBlanks(bytes)).startsWith("{\\rtf");
}

void RtfReader::Read(QStringView text)
{
    if (!IsRtf(text)) {
        ReadPlainText(text);
        return;
    }
    Parser(m_sink, text, false).Run();
}

void RtfReader::Read(QByteArrayView bytes)
{
    if (!IsRtf(bytes)) {
        ReadPlainText(RtfCodePage().Decode(bytes));
        return;
    }
    // Latin-1 keeps every byte as the character of the same number; the parser decodes those above 0x7F.
    const QString text = QString::fromLatin1(bytes);
    Parser(m_sink, text, true).Run();
}

void RtfReader::ReadPlainText(QStringView text)
{
    if (text.isEmpty())
        return;
    const RtfCharFormat format;
    const RtfParagraphFormat paragraph;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u'\r' && text[i] != u'\n')
            continue;
        if (i > start)
            m_sink.Text(text.sliced(start, i - start).toString(), format);
        m_sink.ParagraphEnd(paragraph);
        if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
}
