#include "IniText.h"

#include <QStringList>

namespace {
const QString kGeneral = QStringLiteral("General");

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

// One logical line: up to an end of line outside quotes (a backslash joins the next line), or up
// to a ";" outside quotes, which starts a comment.
struct Line {
    QByteArray text;
    qsizetype equals = -1;
};

class LineReader {
public:
    explicit LineReader(const QByteArray& data) : m_data(data) {
        if (m_data.startsWith("\xEF\xBB\xBF"))
            m_at = 3;
    }

    bool next(Line& line) {
        line = Line();
        while (m_at < m_data.size()) {
            const char c = m_data.at(m_at);
            if (c == '\n' || c == '\r' || isSpace(c)) {
                ++m_at;
                continue;
            }
            if (c == ';') { // a comment line
                while (m_at < m_data.size() && m_data.at(m_at) != '\n' && m_data.at(m_at) != '\r')
                    ++m_at;
                continue;
            }
            break;
        }
        if (m_at >= m_data.size())
            return false;
        bool inQuotes = false;
        const qsizetype start = m_at;
        while (m_at < m_data.size()) {
            const char c = m_data.at(m_at);
            if (c == '\\') {
                m_at += 2;
                continue;
            }
            if (c == '"')
                inQuotes = !inQuotes;
            else if (!inQuotes && (c == '\n' || c == '\r' || c == ';'))
                break;
            else if (c == '=' && line.equals < 0)
                line.equals = m_at - start;
            ++m_at;
        }
        line.text = m_data.mid(start, std::min(m_at, m_data.size()) - start);
        // A trailing comment is skipped up to the end of its line.
        if (m_at < m_data.size() && m_data.at(m_at) == ';')
            while (m_at < m_data.size() && m_data.at(m_at) != '\n' && m_data.at(m_at) != '\r')
                ++m_at;
        return true;
    }

private:
    const QByteArray& m_data;
    qsizetype m_at = 0;
};

void chopTrailingSpaces(QString& text, qsizetype limit) {
    qsizetype n = text.size();
    while (n > limit && (text.at(n - 1) == QLatin1Char(' ') || text.at(n - 1) == QLatin1Char('\t')))
        --n;
    text.truncate(n);
}

// The value's elements: one for a plain value, several for a comma-separated list.
QStringList unescapedList(const QByteArray& bytes) {
    QStringList list;
    QString current;
    bool quoted = false;    // inside quotes now
    bool wasQuoted = false; // this element had quotes: its spaces are its own
    qsizetype chopLimit = 0;
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    auto skipSpaces = [&] {
        while (i < n && isSpace(bytes.at(i)))
            ++i;
    };
    skipSpaces();
    while (i < n) {
        const char c = bytes.at(i);
        if (c == '\\') {
            ++i;
            if (i >= n)
                break;
            const char e = bytes.at(i++);
            switch (e) {
            case 'a':
                current += QLatin1Char('\a');
                break;
            case 'b':
                current += QLatin1Char('\b');
                break;
            case 'f':
                current += QLatin1Char('\f');
                break;
            case 'n':
                current += QLatin1Char('\n');
                break;
            case 'r':
                current += QLatin1Char('\r');
                break;
            case 't':
                current += QLatin1Char('\t');
                break;
            case 'v':
                current += QLatin1Char('\v');
                break;
            case '"':
            case '?':
            case '\'':
            case '\\':
                current += QLatin1Char(e);
                break;
            case 'x': {
                char32_t value = 0;
                while (i < n && hexValue(bytes.at(i)) >= 0 && value < 0x1000)
                    value = value * 16 + char32_t(hexValue(bytes.at(i++)));
                current += QChar(char16_t(value));
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    char32_t value = char32_t(e - '0');
                    while (i < n && bytes.at(i) >= '0' && bytes.at(i) <= '7' && value < 0x1000)
                        value = value * 8 + char32_t(bytes.at(i++) - '0');
                    current += QChar(char16_t(value));
                } else if (e == '\n' || e == '\r') {
                    if (i < n && (bytes.at(i) == '\n' || bytes.at(i) == '\r') && bytes.at(i) != e)
                        ++i;
                }
                break;
            }
            chopLimit = current.size();
        } else if (c == '"') {
            ++i;
            wasQuoted = true;
            quoted = !quoted;
            if (!quoted) {
                skipSpaces();
                chopLimit = current.size();
            }
        } else if (c == ',' && !quoted) {
            if (!wasQuoted)
                chopTrailingSpaces(current, chopLimit);
            list.append(current);
            current.clear();
            wasQuoted = false;
            chopLimit = 0;
            ++i;
            skipSpaces();
        } else {
            qsizetype j = i + 1;
            while (j < n && bytes.at(j) != '\\' && bytes.at(j) != '"' && bytes.at(j) != ',')
                ++j;
            current += QString::fromUtf8(bytes.constData() + i, j - i);
            i = j;
        }
    }
    if (!wasQuoted)
        chopTrailingSpaces(current, chopLimit);
    list.append(current);
    return list;
}

// "@@text" is the text "@text"; other "@" forms are Qt's typed values, kept as they are written.
QString fromStoredText(const QString& text) {
    if (text.startsWith(QLatin1String("@@")))
        return text.mid(1);
    return text;
}
} // namespace

QByteArray IniText::escapedKey(const QString& key) {
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(key.size());
    for (const QChar qc : key) {
        const char16_t ch = qc.unicode();
        if (ch == u'/') {
            out += '\\';
        } else if ((ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') || (ch >= u'0' && ch <= u'9') ||
                   ch == u'_' || ch == u'-' || ch == u'.') {
            out += char(ch);
        } else if (ch <= 0xFF) {
            out += '%';
            out += hex[ch / 16];
            out += hex[ch % 16];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += hex[(ch >> shift) & 0xF];
        }
    }
    return out;
}

QString IniText::unescapedKey(const QByteArray& key) {
    QString out;
    qsizetype i = 0;
    const qsizetype n = key.size();
    while (i < n) {
        const char c = key.at(i);
        if (c == '\\') {
            out += QLatin1Char('/');
            ++i;
        } else if (c == '%' && i + 6 <= n && key.at(i + 1) == 'U') {
            int value = 0;
            bool ok = true;
            for (int k = 2; k < 6; ++k) {
                const int h = hexValue(key.at(i + k));
                ok = ok && h >= 0;
                value = value * 16 + h;
            }
            if (ok) {
                out += QChar(char16_t(value));
                i += 6;
            } else {
                out += QLatin1Char('%');
                ++i;
            }
        } else if (c == '%' && i + 3 <= n && hexValue(key.at(i + 1)) >= 0 && hexValue(key.at(i + 2)) >= 0) {
            out += QChar(char16_t(hexValue(key.at(i + 1)) * 16 + hexValue(key.at(i + 2))));
            i += 3;
        } else {
            qsizetype j = i + 1;
            while (j < n && key.at(j) != '\\' && key.at(j) != '%')
                ++j;
            out += QString::fromUtf8(key.constData() + i, j - i);
            i = j;
        }
    }
    return out;
}

QByteArray IniText::escapedValue(const QString& value) {
    const QString text = value.startsWith(QLatin1Char('@')) ? QLatin1Char('@') + value : value;
    QByteArray out;
    out.reserve(text.size() + 2);
    bool needsQuotes = false;
    bool escapeNextIfHex = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text.at(i).unicode();
        if (ch == u';' || ch == u',' || ch == u'=')
            needsQuotes = true;
        const bool isHex =
            (ch >= u'0' && ch <= u'9') || (ch >= u'a' && ch <= u'f') || (ch >= u'A' && ch <= u'F');
        if (escapeNextIfHex && isHex) {
            out += "\\x" + QByteArray::number(uint(ch), 16);
            continue;
        }
        escapeNextIfHex = false;
        switch (ch) {
        case u'\0':
            out += "\\0";
            escapeNextIfHex = true;
            break;
        case u'\a':
            out += "\\a";
            break;
        case u'\b':
            out += "\\b";
            break;
        case u'\f':
            out += "\\f";
            break;
        case u'\n':
            out += "\\n";
            break;
        case u'\r':
            out += "\\r";
            break;
        case u'\t':
            out += "\\t";
            break;
        case u'\v':
            out += "\\v";
            break;
        case u'"':
        case u'\\':
            out += '\\';
            out += char(ch);
            break;
        default:
            if (ch <= 0x1F) {
                out += "\\x" + QByteArray::number(uint(ch), 16);
                escapeNextIfHex = true;
            } else if (ch < 0x80) {
                out += char(ch);
            } else if (text.at(i).isHighSurrogate() && i + 1 < text.size() &&
                       text.at(i + 1).isLowSurrogate()) {
                out += QStringView(text).mid(i, 2).toUtf8();
                ++i;
            } else {
                out += QString(text.at(i)).toUtf8();
            }
        }
    }
    if (needsQuotes || out.startsWith(' ') || out.endsWith(' '))
        out = '"' + out + '"';
    return out;
}

QString IniText::unescapedValue(const QByteArray& value) {
    QStringList list = unescapedList(value);
    for (QString& element : list)
        element = fromStoredText(element);
    return list.join(QLatin1Char(','));
}

IniText::Values IniText::parse(const QByteArray& text) {
    Values values;
    LineReader reader(text);
    Line line;
    QString section;
    while (reader.next(line)) {
        if (line.text.startsWith('[')) {
            const qsizetype close = line.text.indexOf(']');
            const QString name = unescapedKey(line.text.mid(1, close < 0 ? -1 : close - 1).trimmed());
            section = name.compare(kGeneral, Qt::CaseInsensitive) == 0 ? QString() : name;
            if (section.startsWith(QLatin1Char('%')))
                section = section.mid(1);
            continue;
        }
        if (line.equals <= 0)
            continue;
        const QString key = unescapedKey(line.text.left(line.equals).trimmed());
        if (key.isEmpty())
            continue;
        const QString full = section.isEmpty() ? key : section + QLatin1Char('/') + key;
        values.insert(full, unescapedValue(line.text.mid(line.equals + 1)));
    }
    return values;
}

QByteArray IniText::serialize(const Values& values) {
    // Grouped by section, "[General]" (the keys without a group) first.
    QMap<QString, QList<QPair<QString, QString>>> sections;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(QLatin1Char('/'));
        if (slash <= 0)
            sections[QString()].append({it.key(), it.value()});
        else
            sections[it.key().left(slash)].append({it.key().mid(slash + 1), it.value()});
    }
    QByteArray out;
    for (auto it = sections.cbegin(); it != sections.cend(); ++it) {
        if (!out.isEmpty())
            out += '\n';
        if (it.key().isEmpty())
            out += "[General]\n";
        else if (it.key().compare(kGeneral, Qt::CaseInsensitive) == 0)
            out += "[%" + escapedKey(it.key()) + "]\n";
        else
            out += '[' + escapedKey(it.key()) + "]\n";
        for (const auto& [key, value] : it.value())
            out += escapedKey(key) + '=' + escapedValue(value) + '\n';
    }
    return out;
}
