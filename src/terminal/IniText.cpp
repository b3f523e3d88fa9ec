#include "IniText.h"

#include <QList>
#include <QRegularExpression>
#include <algorithm>

namespace {

const QString generalName = QStringLiteral("General");

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c.toLower() >= u'a' && c.toLower() <= u'f');
}
bool isOctalDigit(QChar c) { return c >= u'0' && c <= u'7'; }
bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

// Without the blanks and tabs at either end; other white space is part of the text.
QStringView trimmedBlanks(QStringView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}
uint digitValue(QChar c)
{
    return c <= u'9' ? uint(c.unicode() - u'0') : uint(c.toLower().unicode() - u'a' + 10);
}

// The file's lines, ended by LF, CR LF or CR; a line that ends in an odd number of
// backslashes goes on in the next.
QList<QString> logicalLines(const QByteArray& fileText)
{
    QByteArray text = fileText;
    if (text.startsWith("\xEF\xBB\xBF")) // the byte-order mark some editors put first
        text.remove(0, 3);
    text.replace("\r\n", "\n").replace('\r', '\n');
    QList<QString> lines;
    QByteArray line;
    for (const QByteArray& physical : text.split('\n')) {
        // What a line carries on with ends in an even number of backslashes, so the line's
        // own backslashes decide (counting the whole line would take quadratic time).
        qsizetype backslashes = 0;
        while (backslashes < physical.size() &&
               physical.at(physical.size() - 1 - backslashes) == '\\')
            ++backslashes;
        line += physical;
        if (backslashes % 2 == 1) {
            line.chop(1);
            continue;
        }
        lines.append(QString::fromUtf8(line));
        line.clear();
    }
    if (!line.isEmpty())
        lines.append(QString::fromUtf8(line));
    return lines;
}

// A section or value name: "%20" is a blank, "%U20AC" any character.
QString unescapedName(QStringView escaped)
{
    QString name;
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const bool wide = escaped.mid(i + 1, 1) == u"U";
        const qsizetype digits = wide ? 4 : 2;
        const QStringView code = escaped.mid(i + 1 + (wide ? 1 : 0), digits);
        bool ok = escaped[i] == u'%' && code.size() == digits;
        const ushort unit = ok ? code.toUShort(&ok, 16) : 0;
        if (!ok) {
            name += escaped[i];
            continue;
        }
        name += QChar(unit);
        i += digits + (wide ? 1 : 0);
    }
    return name;
}

// Reads the escape after a backslash at `i` into `text`; returns the index of its last
// character. An escape of no known kind stands for nothing, as Qt reads it.
qsizetype readEscape(QStringView raw, qsizetype i, QString& text)
{
    static constexpr std::pair<char16_t, char16_t> named[] = {
        {u'a', u'\a'}, {u'b', u'\b'}, {u'f', u'\f'},  {u'n', u'\n'}, {u'r', u'\r'},  {u't', u'\t'},
        {u'v', u'\v'}, {u'"', u'"'},  {u'\'', u'\''}, {u'?', u'?'},  {u'\\', u'\\'},
    };
    if (i >= raw.size())
        return i;
    const QChar c = raw[i];
    for (const auto& [letter, meant] : named)
        if (c == letter) {
            text += QChar(meant);
            return i;
        }
    // \x and hex digits, or octal digits: as many as follow, kept to 16 bits as Qt does.
    const bool hex = c == u'x';
    const qsizetype first = hex ? i + 1 : i;
    qsizetype end = first;
    uint code = 0;
    for (; end < raw.size() && (hex ? isHexDigit(raw[end]) : isOctalDigit(raw[end])); ++end)
        code = ((code << (hex ? 4 : 3)) | digitValue(raw[end])) & 0xFFFF;
    if (end > first)
        text += QChar(char16_t(code));
    return end - 1;
}

// A value's text, or nothing when it holds another kind of value.
std::optional<QString> valueText(QStringView raw)
{
    raw = trimmedBlanks(raw);
    QString text;
    qsizetype kept = 0; // what a comment cannot trim: quoted and escaped characters
    bool quoted = false;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c == u'"') {
            quoted = !quoted;
        } else if (c == u'\\') {
            i = readEscape(raw, i + 1, text);
            kept = text.size();
        } else if (!quoted && c == u',') {
            return std::nullopt; // a list
        } else if (!quoted && c == u';') {
            while (text.size() > kept && isBlank(text.back()))
                text.chop(1);
            break;
        } else {
            text += c;
            if (quoted)
                kept = text.size();
        }
    }
    if (text.startsWith(QStringLiteral("@@")))
        return text.mid(1);
    // How Qt writes a text that holds a null character.
    const QString wrapped = QStringLiteral("@String(");
    if (text.startsWith(wrapped) && text.endsWith(u')'))
        return text.sliced(wrapped.size(), text.size() - wrapped.size() - 1);
    static const QRegularExpression otherKind(
        QRegularExpression::anchoredPattern(QStringLiteral("@[A-Za-z]+\\(.*\\)")),
        QRegularExpression::DotMatchesEverythingOption);
    if (otherKind.match(text).hasMatch())
        return std::nullopt; // @ByteArray(...), @Variant(...), @Invalid() ...
    return text;
}

bool isControl(QChar c) { return c.category() == QChar::Other_Control; }

// A value's text as Qt's settings class writes it, with every control character escaped so
// that the file stays one line per value and plain to read.
QByteArray escapedText(const QString& text)
{
    static constexpr std::pair<char16_t, const char*> named[] = {
        {u'\a', "\\a"}, {u'\b', "\\b"}, {u'\f', "\\f"}, {u'\n', "\\n"},  {u'\r', "\\r"},
        {u'\t', "\\t"}, {u'\v', "\\v"}, {u'"', "\\\""}, {u'\\', "\\\\"},
    };
    const QString value = text.startsWith(u'@') ? QLatin1Char('@') + text : text;
    QByteArray out;
    // Blanks at either end would be trimmed away unquoted (a tab is escaped).
    bool quote = value.startsWith(u' ') || value.endsWith(u' ');
    bool afterHexEscape = false; // a hex digit there would lengthen the escape
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        quote = quote || c == u';' || c == u',' || c == u'=';
        const bool pair =
            c.isHighSurrogate() && i + 1 < value.size() && value[i + 1].isLowSurrogate();
        const auto escape = std::find_if(std::begin(named), std::end(named),
                                         [c](const auto& row) { return row.first == c; });
        if (escape != std::end(named)) {
            out += escape->second;
            afterHexEscape = false;
        } else if (isControl(c) || (c.isSurrogate() && !pair) ||
                   (afterHexEscape && isHexDigit(c))) {
            out += "\\x" + QByteArray::number(c.unicode(), 16);
            afterHexEscape = true;
        } else {
            out += QStringView(value).sliced(i, pair ? 2 : 1).toUtf8();
            i += pair ? 1 : 0;
            afterHexEscape = false;
        }
    }
    return quote ? '"' + out + '"' : out;
}

} // namespace

namespace {
IniSection sectionOf(const QByteArray& fileText, const QString& sectionName)
{
    IniSection values;
    bool inSection = sectionName == generalName;
    for (const QString& line : logicalLines(fileText)) {
        const QStringView trimmed = trimmedBlanks(line);
        if (trimmed.startsWith(u'[')) {
            const qsizetype close = trimmed.indexOf(u']');
            const QStringView name = trimmed.sliced(1, (close < 0 ? trimmed.size() : close) - 1);
            inSection = unescapedName(trimmedBlanks(name)) == sectionName;
            continue;
        }
        const qsizetype equals = trimmed.indexOf(u'=');
        if (!inSection || equals <= 0)
            continue;
        values.insert(unescapedName(trimmedBlanks(trimmed.first(equals))),
                      valueText(trimmed.sliced(equals + 1)));
    }
    return values;
}

} // namespace

IniSection generalSection(const QByteArray& fileText) { return sectionOf(fileText, generalName); }

IniSection namedSection(const QByteArray& fileText, const QString& name)
{
    return sectionOf(fileText, name);
}

QByteArray generalSectionHeader() { return sectionHeader(generalName); }

QByteArray sectionHeader(const QString& name) { return "[" + name.toUtf8() + "]\n"; }

QByteArray iniLine(const QString& name, const QString& text)
{
    return name.toUtf8() + '=' + escapedText(text) + '\n';
}
