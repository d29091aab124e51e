#include "core/markupscanner.h"

namespace MarkupScanner {
namespace {

enum class Mode
{
    Text,
    Tag,          // inside a tag, after its name
    BeforeValue,  // after the = of an attribute
    DoubleQuoted, // inside a "value"
    SingleQuoted, // inside a 'value'
    Comment,
    Declaration,
    ScriptText,
    StyleText,
};

// The element whose start tag is being read, when its contents are raw text.
enum class RawElement
{
    None,
    Script,
    Style
};

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(QChar c)
{
    return isAsciiDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool isNameCharacter(QChar c)
{
    return isAsciiLetter(c) || isAsciiDigit(c) || c == u'-' || c == u':' || c == u'_' || c == u'.';
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\f';
}

class LineScanner
{
public:
    LineScanner(QStringView line, State start, QList<Span> *spans)
        : m_line(line)
        , m_mode(Mode(start & 0xF))
        , m_raw(RawElement((start >> 4) & 0x3))
        , m_spans(spans)
    {}

    State run()
    {
        while (m_at < m_line.size())
            step();
        return State(int(m_mode) | int(m_raw) << 4);
    }

private:
    void step()
    {
        switch (m_mode) {
        case Mode::Text:
            return text();
        case Mode::Tag:
            return tag();
        case Mode::BeforeValue:
            return beforeValue();
        case Mode::DoubleQuoted:
            return quoted(m_at, u'"');
        case Mode::SingleQuoted:
            return quoted(m_at, u'\'');
        case Mode::Comment:
            return comment(m_at, m_at);
        case Mode::Declaration:
            return declaration(m_at);
        case Mode::ScriptText:
            return rawText(Kind::Script, u"</script");
        case Mode::StyleText:
            return rawText(Kind::Style, u"</style");
        }
    }

    void text()
    {
        const qsizetype next = nextOf(u'<', u'&');
        if (next < 0) {
            m_at = m_line.size();
            return;
        }
        m_at = next;
        if (m_line.at(m_at) == u'&') {
            const int end = referenceEnd(m_at);
            if (end > m_at)
                add(m_at, end, Kind::CharacterReference);
            m_at = end > m_at ? end : m_at + 1;
            return;
        }
        const QStringView rest = m_line.mid(m_at);
        // "<!-->" and "<!--->" are whole (empty) comments, as browsers read them.
        if (rest.startsWith(u"<!--"))
            return comment(m_at, m_at + 2);
        if (rest.startsWith(u"<!") || rest.startsWith(u"<?"))
            return declaration(m_at);
        const bool closing = rest.startsWith(u"</");
        const int nameStart = m_at + (closing ? 2 : 1);
        if (nameStart >= m_line.size() || !isAsciiLetter(m_line.at(nameStart))) {
            ++m_at;
            return;
        }
        add(m_at, nameStart, Kind::TagDelimiter);
        int nameEnd = nameStart;
        while (nameEnd < m_line.size() && isNameCharacter(m_line.at(nameEnd)))
            ++nameEnd;
        add(nameStart, nameEnd, Kind::TagName);
        const QStringView name = m_line.mid(nameStart, nameEnd - nameStart);
        m_raw = closing                                             ? RawElement::None
                : name.compare(u"script", Qt::CaseInsensitive) == 0 ? RawElement::Script
                : name.compare(u"style", Qt::CaseInsensitive) == 0  ? RawElement::Style
                                                                    : RawElement::None;
        m_mode = Mode::Tag;
        m_at = nameEnd;
    }

    void tag()
    {
        skipBlanks();
        if (m_at >= m_line.size())
            return;
        const QChar c = m_line.at(m_at);
        if (c == u'>') {
            add(m_at, m_at + 1, Kind::TagDelimiter);
            ++m_at;
            m_mode = m_raw == RawElement::Script  ? Mode::ScriptText
                     : m_raw == RawElement::Style ? Mode::StyleText
                                                  : Mode::Text;
            m_raw = RawElement::None;
        } else if (c == u'/' || c == u'=') {
            add(m_at, m_at + 1, Kind::TagDelimiter);
            ++m_at;
            if (c == u'=')
                m_mode = Mode::BeforeValue;
        } else if (c == u'"' || c == u'\'') {
            quoted(m_at + 1, c, m_at);
        } else {
            int end = m_at;
            while (end < m_line.size() && !isBlank(m_line.at(end)) && m_line.at(end) != u'>' &&
                   m_line.at(end) != u'/' && m_line.at(end) != u'=')
                ++end;
            add(m_at, end, Kind::AttributeName);
            m_at = end;
        }
    }

    void beforeValue()
    {
        skipBlanks();
        if (m_at >= m_line.size())
            return;
        const QChar c = m_line.at(m_at);
        if (c == u'>') {
            m_mode = Mode::Tag;
            return;
        }
        if (c == u'"' || c == u'\'')
            return quoted(m_at + 1, c, m_at);
        int end = m_at;
        while (end < m_line.size() && !isBlank(m_line.at(end)) && m_line.at(end) != u'>')
            ++end;
        addWithReferences(m_at, end, Kind::AttributeValue);
        m_at = end;
        m_mode = Mode::Tag;
    }

    // A quoted value whose text begins at `from`; its colour begins at `colourFrom` (the
    // opening quote, or the line's start when the value began on an earlier line).
    void quoted(int from, QChar quote, int colourFrom = -1)
    {
        if (colourFrom < 0)
            colourFrom = from;
        const qsizetype close = m_line.indexOf(quote, from);
        const int end = close < 0 ? int(m_line.size()) : int(close) + 1;
        addWithReferences(colourFrom, end, Kind::AttributeValue);
        m_at = end;
        m_mode = close < 0 ? (quote == u'"' ? Mode::DoubleQuoted : Mode::SingleQuoted) : Mode::Tag;
    }

    void comment(int from, int searchFrom)
    {
        const qsizetype close = m_line.indexOf(u"-->", searchFrom);
        const int end = close < 0 ? int(m_line.size()) : int(close) + 3;
        add(from, end, Kind::Comment);
        m_at = end;
        m_mode = close < 0 ? Mode::Comment : Mode::Text;
    }

    void declaration(int from)
    {
        const qsizetype close = m_line.indexOf(u'>', from);
        const int end = close < 0 ? int(m_line.size()) : int(close) + 1;
        add(from, end, Kind::Doctype);
        m_at = end;
        m_mode = close < 0 ? Mode::Declaration : Mode::Text;
    }

    // Script and style contents run up to their own end tag, whatever they hold.
    void rawText(Kind kind, QStringView endTag)
    {
        const qsizetype close = m_line.indexOf(endTag, m_at, Qt::CaseInsensitive);
        const int end = close < 0 ? int(m_line.size()) : int(close);
        add(m_at, end, kind);
        m_at = end;
        if (close >= 0)
            m_mode = Mode::Text;
    }

    // The end of a complete character reference (&amp; &#160; &#xA0;) at `from`, else `from`.
    int referenceEnd(int from) const
    {
        int at = from + 1;
        const auto has = [&](int i) { return i < m_line.size(); };
        if (has(at) && m_line.at(at) == u'#') {
            ++at;
            const bool hex = has(at) && (m_line.at(at) == u'x' || m_line.at(at) == u'X');
            at += hex ? 1 : 0;
            const int digits = at;
            while (has(at) && (hex ? isHexDigit(m_line.at(at)) : isAsciiDigit(m_line.at(at))))
                ++at;
            if (at == digits)
                return from;
        } else {
            if (!has(at) || !isAsciiLetter(m_line.at(at)))
                return from;
            while (has(at) && (isAsciiLetter(m_line.at(at)) || isAsciiDigit(m_line.at(at))))
                ++at;
        }
        return has(at) && m_line.at(at) == u';' ? at + 1 : from;
    }

    void addWithReferences(int from, int to, Kind kind)
    {
        int plain = from;
        for (int at = from; at < to; ++at) {
            if (m_line.at(at) != u'&')
                continue;
            const int end = referenceEnd(at);
            if (end == at || end > to)
                continue;
            add(plain, at, kind);
            add(at, end, Kind::CharacterReference);
            plain = end;
            at = end - 1;
        }
        add(plain, to, kind);
    }

    void add(int from, int to, Kind kind)
    {
        if (m_spans && to > from)
            m_spans->append({from, to - from, kind});
    }

    void skipBlanks()
    {
        while (m_at < m_line.size() && isBlank(m_line.at(m_at)))
            ++m_at;
    }

    qsizetype nextOf(QChar a, QChar b) const
    {
        for (qsizetype i = m_at; i < m_line.size(); ++i) {
            if (m_line.at(i) == a || m_line.at(i) == b)
                return i;
        }
        return -1;
    }

    QStringView m_line;
    int m_at = 0;
    Mode m_mode;
    RawElement m_raw;
    QList<Span> *m_spans;
};

} // namespace

State scanLine(QStringView line, State start, QList<Span> *spans)
{
    return LineScanner(line, start, spans).run();
}

QList<StartTag> startTags(QStringView text)
{
    QList<StartTag> tags;
    QList<Span> spans;
    State state = PageStart;
    for (qsizetype lineStart = 0; lineStart <= text.size();) {
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        const qsizetype next = lineEnd < 0 ? text.size() + 1 : lineEnd + 1;
        if (lineEnd < 0)
            lineEnd = text.size();
        if (lineEnd > lineStart && text.at(lineEnd - 1) == u'\r')
            --lineEnd;
        spans.clear();
        state = scanLine(text.mid(lineStart, lineEnd - lineStart), state, &spans);
        for (qsizetype i = 0; i + 1 < spans.size(); ++i) {
            if (spans[i].kind == Kind::TagDelimiter && spans[i].length == 1 &&
                text.at(lineStart + spans[i].start) == u'<' && spans[i + 1].kind == Kind::TagName)
                tags.append({int(lineStart) + spans[i].start,
                             int(lineStart) + spans[i + 1].start + spans[i + 1].length});
        }
        lineStart = next;
    }
    return tags;
}

} // namespace MarkupScanner
