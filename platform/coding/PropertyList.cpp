#include "PropertyList.h"

#include <QDateTime>
#include <QStringList>
#include <QTimeZone>
#include <QXmlStreamReader>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr int maximumDepth = 256;
// About 317,000 years either side of 2001: far beyond any real date, well inside 64-bit milliseconds.
constexpr double maximumDateSeconds = 1e13;

// Characters an XML 1.0 document can carry at all.
bool isXmlCharacter(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// Every other character (control characters, lone surrogates, U+FFFE, U+FFFF) becomes U+FFFD: a
// reader refuses a document holding one, which would lose the whole file for one odd title. A
// carriage return is written as a reference, since a reader turns a literal one into a line feed.
QByteArray escaped(const QString& text) {
    QString clean;
    clean.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (c == 0xD)
            clean += QStringLiteral("&#13;");
        else if (!isXmlCharacter(c))
            clean += QChar(0xFFFD);
        else if (c == '&')
            clean += QStringLiteral("&amp;");
        else if (c == '<')
            clean += QStringLiteral("&lt;");
        else if (c == '>')
            clean += QStringLiteral("&gt;");
        else if (c <= 0xFFFF)
            clean += QChar(char16_t(c));
        else
            clean += QString::fromUcs4(&c, 1);
    }
    return clean.toUtf8();
}

QByteArray realText(double value) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "+infinity" : "-infinity";
    return QByteArray::number(value, 'g', 17);
}

bool write(QByteArray& out, const QVariant& value, int depth) {
    if (depth > maximumDepth)
        return false;
    const QByteArray indent(depth, '\t');
    switch (value.typeId()) {
    case QMetaType::QString:
        out += indent + "<string>" + escaped(value.toString()) + "</string>\n";
        return true;
    case QMetaType::Bool:
        out += indent + (value.toBool() ? "<true/>\n" : "<false/>\n");
        return true;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Long:
        out += indent + "<integer>" + QByteArray::number(value.toLongLong()) + "</integer>\n";
        return true;
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::ULong:
        out += indent + "<integer>" + QByteArray::number(value.toULongLong()) + "</integer>\n";
        return true;
    case QMetaType::Double:
    case QMetaType::Float:
        out += indent + "<real>" + realText(value.toDouble()) + "</real>\n";
        return true;
    case QMetaType::QByteArray:
        out += indent + "<data>\n" + indent + value.toByteArray().toBase64() + "\n" + indent + "</data>\n";
        return true;
    case QMetaType::QDateTime: {
        const QDateTime utc = value.toDateTime().toUTC();
        if (!utc.isValid())
            return false;
        out += indent + "<date>" + utc.toString(Qt::ISODate).toLatin1() + "</date>\n";
        return true;
    }
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        const QVariantList list = value.toList();
        if (list.isEmpty()) {
            out += indent + "<array/>\n";
            return true;
        }
        out += indent + "<array>\n";
        for (const QVariant& element : list) {
            if (!write(out, element, depth + 1))
                return false;
        }
        out += indent + "</array>\n";
        return true;
    }
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        if (map.isEmpty()) {
            out += indent + "<dict/>\n";
            return true;
        }
        out += indent + "<dict>\n";
        for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
            out += indent + "\t<key>" + escaped(it.key()) + "</key>\n";
            if (!write(out, it.value(), depth + 1))
                return false;
        }
        out += indent + "</dict>\n";
        return true;
    }
    default:
        return false;
    }
}

class Reader {
public:
    explicit Reader(const QByteArray& bytes) : m_xml(bytes) {}

    std::optional<QVariant> document() {
        // Prolog: the XML declaration and the DOCTYPE are skipped; the root must be <plist>.
        if (!nextElement() || m_xml.name() != QLatin1String("plist"))
            return std::nullopt;
        if (!nextElement())
            return std::nullopt;
        std::optional<QVariant> root = value(0);
        if (!root)
            return std::nullopt;
        // Nothing but the closing </plist> may follow.
        while (!m_xml.atEnd()) {
            const auto token = m_xml.readNext();
            if (token == QXmlStreamReader::StartElement)
                return std::nullopt;
            if (token == QXmlStreamReader::Characters && !m_xml.isWhitespace())
                return std::nullopt;
        }
        if (m_xml.hasError())
            return std::nullopt;
        return root;
    }

private:
    // Moves to the next start element, refusing text between elements.
    bool nextElement() {
        while (!m_xml.atEnd()) {
            const auto token = m_xml.readNext();
            switch (token) {
            case QXmlStreamReader::StartElement:
                return true;
            case QXmlStreamReader::EndElement:
                return false;
            case QXmlStreamReader::Characters:
                if (!m_xml.isWhitespace())
                    return false;
                break;
            case QXmlStreamReader::Invalid:
                return false;
            default:
                break;
            }
        }
        return false;
    }

    std::optional<QString> text() {
        const QString t = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (m_xml.hasError())
            return std::nullopt;
        return t;
    }

    // Reads the value whose start element is current.
    std::optional<QVariant> value(int depth) {
        if (depth > maximumDepth)
            return std::nullopt;
        const QString name = m_xml.name().toString();
        if (name == QLatin1String("string")) {
            auto t = text();
            if (!t)
                return std::nullopt;
            return QVariant(*t);
        }
        if (name == QLatin1String("integer")) {
            auto t = text();
            if (!t)
                return std::nullopt;
            return integer(t->trimmed());
        }
        if (name == QLatin1String("real")) {
            auto t = text();
            if (!t)
                return std::nullopt;
            return real(t->trimmed());
        }
        if (name == QLatin1String("true") || name == QLatin1String("false")) {
            auto t = text();
            if (!t || !t->trimmed().isEmpty())
                return std::nullopt;
            return QVariant(name == QLatin1String("true"));
        }
        if (name == QLatin1String("data")) {
            auto t = text();
            if (!t)
                return std::nullopt;
            QByteArray compact = t->toLatin1();
            compact.replace(' ', "").replace('\t', "").replace('\n', "").replace('\r', "");
            auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded)
                return std::nullopt;
            return QVariant(*decoded);
        }
        if (name == QLatin1String("date")) {
            auto t = text();
            if (!t)
                return std::nullopt;
            QDateTime date = QDateTime::fromString(t->trimmed(), Qt::ISODate);
            if (!date.isValid())
                return std::nullopt;
            return QVariant(date.toUTC());
        }
        if (name == QLatin1String("array")) {
            QVariantList list;
            while (nextElement()) {
                auto element = value(depth + 1);
                if (!element)
                    return std::nullopt;
                list.append(*element);
            }
            if (m_xml.hasError() || !m_xml.isEndElement() || m_xml.name() != QLatin1String("array"))
                return std::nullopt;
            return QVariant(list);
        }
        if (name == QLatin1String("dict")) {
            QVariantMap map;
            while (nextElement()) {
                if (m_xml.name() != QLatin1String("key"))
                    return std::nullopt;
                auto key = text();
                if (!key || !nextElement())
                    return std::nullopt;
                auto element = value(depth + 1);
                if (!element)
                    return std::nullopt;
                map.insert(*key, *element);
            }
            if (m_xml.hasError() || !m_xml.isEndElement() || m_xml.name() != QLatin1String("dict"))
                return std::nullopt;
            return QVariant(map);
        }
        return std::nullopt;
    }

    static std::optional<QVariant> integer(const QString& t) {
        bool ok = false;
        qint64 v = 0;
        const bool negative = t.startsWith('-');
        const QString digits = (negative || t.startsWith('+')) ? t.mid(1) : t;
        if (digits.startsWith(QLatin1String("0x")) || digits.startsWith(QLatin1String("0X"))) {
            const qulonglong u = digits.mid(2).toULongLong(&ok, 16);
            if (!ok || u > qulonglong(std::numeric_limits<qint64>::max()))
                return std::nullopt;
            v = negative ? -qint64(u) : qint64(u);
        } else {
            v = t.toLongLong(&ok, 10);
            if (!ok) {
                // Unsigned values above the signed range are kept as such.
                const qulonglong u = t.toULongLong(&ok, 10);
                if (!ok)
                    return std::nullopt;
                return QVariant(u);
            }
        }
        return QVariant(v);
    }

    static std::optional<QVariant> real(const QString& t) {
        const QString lower = t.toLower();
        if (lower == QLatin1String("nan"))
            return QVariant(std::numeric_limits<double>::quiet_NaN());
        if (lower == QLatin1String("+infinity") || lower == QLatin1String("infinity") ||
            lower == QLatin1String("inf"))
            return QVariant(std::numeric_limits<double>::infinity());
        if (lower == QLatin1String("-infinity") || lower == QLatin1String("-inf"))
            return QVariant(-std::numeric_limits<double>::infinity());
        bool ok = false;
        const double v = t.toDouble(&ok);
        if (!ok)
            return std::nullopt;
        return QVariant(v);
    }

    QXmlStreamReader m_xml;
};

// Apple's binary property-list form ("bplist00"), read only: objects reached from the top object
// through the offset table, every offset and reference checked against the data, nesting bounded.
class BinaryReader {
public:
    explicit BinaryReader(const QByteArray& bytes) : m_data(bytes) {}

    std::optional<QVariant> document() {
        if (m_data.size() < 8 + 32 || !m_data.startsWith("bplist0"))
            return std::nullopt;
        const qsizetype trailer = m_data.size() - 32;
        m_offsetSize = quint8(m_data[trailer + 6]);
        m_refSize = quint8(m_data[trailer + 7]);
        const quint64 count = be(trailer + 8, 8);
        const quint64 top = be(trailer + 16, 8);
        const quint64 table = be(trailer + 24, 8);
        if (m_offsetSize < 1 || m_offsetSize > 8 || m_refSize < 1 || m_refSize > 8 || count == 0 ||
            top >= count || table < 8 || table >= quint64(trailer) ||
            count > (quint64(trailer) - table) / m_offsetSize)
            return std::nullopt;
        m_count = count;
        m_table = qsizetype(table);
        m_trailer = trailer;
        return object(top, 0);
    }

private:
    quint64 be(qsizetype at, int size) const {
        quint64 value = 0;
        for (int i = 0; i < size; ++i)
            value = (value << 8) | quint8(m_data[at + i]);
        return value;
    }
    bool fits(qsizetype at, quint64 size) const {
        return at >= 0 && size <= quint64(m_trailer) && quint64(at) <= quint64(m_trailer) - size;
    }
    std::optional<qsizetype> offsetOf(quint64 index) const {
        if (index >= m_count)
            return std::nullopt;
        const quint64 offset = be(m_table + qsizetype(index) * m_offsetSize, m_offsetSize);
        if (offset < 8 || offset >= quint64(m_table))
            return std::nullopt;
        return qsizetype(offset);
    }
    // The element count after a marker: the low nibble, or an integer object when it is 0xF.
    std::optional<quint64> length(qsizetype& at, quint8 marker) const {
        const quint8 low = marker & 0x0F;
        if (low != 0x0F)
            return low;
        if (!fits(at, 1))
            return std::nullopt;
        const quint8 intMarker = quint8(m_data[at]);
        if ((intMarker & 0xF0) != 0x10 || (intMarker & 0x0F) > 3)
            return std::nullopt;
        const int size = 1 << (intMarker & 0x0F);
        if (!fits(at + 1, size))
            return std::nullopt;
        const quint64 value = be(at + 1, size);
        at += 1 + size;
        return value;
    }

    std::optional<QVariant> object(quint64 index, int depth) {
        // Every reference takes at least one byte, so a tree read from this data has fewer nodes
        // than the data has bytes; more visits means objects shared over and over (a hand-made
        // file that would expand exponentially), which is refused.
        if (depth > maximumDepth || ++m_visits > quint64(m_data.size()))
            return std::nullopt;
        const std::optional<qsizetype> start = offsetOf(index);
        if (!start)
            return std::nullopt;
        qsizetype at = *start + 1;
        const quint8 marker = quint8(m_data[*start]);
        switch (marker >> 4) {
        case 0x0:
            if (marker == 0x08 || marker == 0x09)
                return QVariant(marker == 0x09);
            return std::nullopt;
        case 0x1: {
            const int size = 1 << (marker & 0x0F);
            if (size > 16 || !fits(at, size))
                return std::nullopt;
            if (size == 16) // 128-bit integers only ever hold 64-bit values here
                return QVariant(qint64(be(at + 8, 8)));
            return QVariant(qint64(be(at, size)));
        }
        case 0x2: {
            const int size = 1 << (marker & 0x0F);
            if ((size != 4 && size != 8) || !fits(at, size))
                return std::nullopt;
            if (size == 4) {
                const quint32 bits = quint32(be(at, 4));
                float value;
                std::memcpy(&value, &bits, 4);
                return QVariant(double(value));
            }
            const quint64 bits = be(at, 8);
            double value;
            std::memcpy(&value, &bits, 8);
            return QVariant(value);
        }
        case 0x3: {
            if (marker != 0x33 || !fits(at, 8))
                return std::nullopt;
            const quint64 bits = be(at, 8);
            double seconds;
            std::memcpy(&seconds, &bits, 8);
            // Beyond a few hundred thousand years (or not a number) no writer made this date: the
            // file is damaged, and converting such a value to milliseconds would overflow.
            if (!std::isfinite(seconds) || std::fabs(seconds) > maximumDateSeconds)
                return std::nullopt;
            const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
            return QVariant(epoch.addMSecs(std::llround(seconds * 1000.0)));
        }
        case 0x4: {
            const auto size = length(at, marker);
            if (!size || !fits(at, *size))
                return std::nullopt;
            return QVariant(m_data.mid(at, qsizetype(*size)));
        }
        case 0x5: {
            const auto size = length(at, marker);
            if (!size || !fits(at, *size))
                return std::nullopt;
            return QVariant(QString::fromLatin1(m_data.constData() + at, qsizetype(*size)));
        }
        case 0x6: {
            const auto size = length(at, marker);
            if (!size || *size > quint64(m_trailer) / 2 || !fits(at, *size * 2))
                return std::nullopt;
            QString text(qsizetype(*size), Qt::Uninitialized);
            for (quint64 i = 0; i < *size; ++i)
                text[qsizetype(i)] = QChar(char16_t(be(at + qsizetype(i) * 2, 2)));
            return QVariant(text);
        }
        case 0x8: {
            const int size = (marker & 0x0F) + 1;
            if (size > 8 || !fits(at, size))
                return std::nullopt;
            return QVariant(PropertyList::uid(qint64(be(at, size))));
        }
        case 0xA: {
            const auto size = length(at, marker);
            if (!size || *size > quint64(m_trailer) / m_refSize || !fits(at, *size * m_refSize))
                return std::nullopt;
            QVariantList list;
            for (quint64 i = 0; i < *size; ++i) {
                auto element = object(be(at + qsizetype(i) * m_refSize, m_refSize), depth + 1);
                if (!element)
                    return std::nullopt;
                list.append(*element);
            }
            return QVariant(list);
        }
        case 0xD: {
            const auto size = length(at, marker);
            if (!size || *size > quint64(m_trailer) / (2 * m_refSize) || !fits(at, *size * 2 * m_refSize))
                return std::nullopt;
            QVariantMap map;
            for (quint64 i = 0; i < *size; ++i) {
                auto key = object(be(at + qsizetype(i) * m_refSize, m_refSize), depth + 1);
                auto element = object(be(at + qsizetype(*size + i) * m_refSize, m_refSize), depth + 1);
                if (!key || !element || key->typeId() != QMetaType::QString)
                    return std::nullopt;
                map.insert(key->toString(), *element);
            }
            return QVariant(map);
        }
        default:
            return std::nullopt;
        }
    }

    const QByteArray& m_data;
    int m_offsetSize = 0;
    int m_refSize = 0;
    quint64 m_count = 0;
    qsizetype m_table = 0;
    qsizetype m_trailer = 0;
    quint64 m_visits = 0;
};

// The binary form: objects flattened parent first, each referenced by its index, then the
// offset table and the trailer naming the top object. Strings are written once per occurrence;
// a keyed archive's references (uid() dictionaries) become the form's own UID objects.
class BinaryWriter {
public:
    std::optional<QByteArray> document(const QVariant& root) {
        if (!collect(root, 0))
            return std::nullopt;
        const quint64 count = quint64(m_nodes.size());
        m_refSize = bytesFor(count - 1);
        QByteArray out = "bplist00";
        std::vector<quint64> offsets;
        offsets.reserve(m_nodes.size());
        for (const Node& node : m_nodes) {
            offsets.push_back(quint64(out.size()));
            emitNode(out, node);
        }
        const quint64 table = quint64(out.size());
        const int offsetSize = bytesFor(table);
        for (const quint64 offset : offsets)
            appendBe(out, offset, offsetSize);
        out += QByteArray(6, '\0');
        out += char(offsetSize);
        out += char(m_refSize);
        appendBe(out, count, 8);
        appendBe(out, 0, 8);
        appendBe(out, table, 8);
        return out;
    }

private:
    struct Node {
        QVariant value;                // a leaf, or the container whose children follow
        std::vector<quint64> children; // keys then values for a dictionary
    };

    static int bytesFor(quint64 value) {
        if (value <= 0xFF)
            return 1;
        if (value <= 0xFFFF)
            return 2;
        if (value <= 0xFFFFFFFFull)
            return 4;
        return 8;
    }
    static void appendBe(QByteArray& out, quint64 value, int size) {
        for (int i = size - 1; i >= 0; --i)
            out += char((value >> (8 * i)) & 0xFF);
    }
    static void appendInteger(QByteArray& out, quint64 value, bool negative) {
        const int size = negative ? 8 : bytesFor(value);
        out += char(0x10 | (size == 1 ? 0 : size == 2 ? 1 : size == 4 ? 2 : 3));
        appendBe(out, value, size);
    }
    static void appendMarker(QByteArray& out, quint8 kind, quint64 length) {
        if (length < 15) {
            out += char(kind | length);
            return;
        }
        out += char(kind | 0x0F);
        appendInteger(out, length, false);
    }
    static void appendDouble(QByteArray& out, quint8 marker, double value) {
        quint64 bits;
        std::memcpy(&bits, &value, 8);
        out += char(marker);
        appendBe(out, bits, 8);
    }

    bool collect(const QVariant& value, int depth) {
        if (depth > maximumDepth)
            return false;
        const size_t index = m_nodes.size();
        m_nodes.push_back(Node{value, {}});
        switch (value.typeId()) {
        case QMetaType::QStringList:
        case QMetaType::QVariantList: {
            std::vector<quint64> children;
            for (const QVariant& element : value.toList()) {
                children.push_back(m_nodes.size());
                if (!collect(element, depth + 1))
                    return false;
            }
            m_nodes[index].children = std::move(children);
            return true;
        }
        case QMetaType::QVariantMap: {
            if (PropertyList::uidValue(value))
                return true;
            const QVariantMap map = value.toMap();
            std::vector<quint64> keys;
            std::vector<quint64> values;
            for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
                keys.push_back(m_nodes.size());
                m_nodes.push_back(Node{QVariant(it.key()), {}});
                values.push_back(m_nodes.size());
                if (!collect(it.value(), depth + 1))
                    return false;
            }
            keys.insert(keys.end(), values.begin(), values.end());
            m_nodes[index].children = std::move(keys);
            return true;
        }
        case QMetaType::QDateTime:
            return value.toDateTime().isValid();
        case QMetaType::QString:
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::Long:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::UShort:
        case QMetaType::UChar:
        case QMetaType::ULong:
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::QByteArray:
            return true;
        default:
            return false;
        }
    }

    void emitNode(QByteArray& out, const Node& node) const {
        const QVariant& value = node.value;
        switch (value.typeId()) {
        case QMetaType::QString: {
            const QString text = value.toString();
            bool ascii = true;
            for (const QChar c : text)
                ascii = ascii && c.unicode() < 0x80;
            if (ascii) {
                appendMarker(out, 0x50, quint64(text.size()));
                out += text.toLatin1();
            } else {
                appendMarker(out, 0x60, quint64(text.size()));
                for (const QChar c : text)
                    appendBe(out, c.unicode(), 2);
            }
            return;
        }
        case QMetaType::Bool:
            out += char(value.toBool() ? 0x09 : 0x08);
            return;
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::UShort:
        case QMetaType::UChar:
        case QMetaType::ULong: {
            const quint64 unsignedValue = value.toULongLong();
            if (unsignedValue > quint64(std::numeric_limits<qint64>::max())) {
                out += char(0x14); // 128 bits: the high half zero
                appendBe(out, 0, 8);
                appendBe(out, unsignedValue, 8);
            } else {
                appendInteger(out, unsignedValue, false);
            }
            return;
        }
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::Long: {
            const qint64 signedValue = value.toLongLong();
            appendInteger(out, quint64(signedValue), signedValue < 0);
            return;
        }
        case QMetaType::Double:
        case QMetaType::Float:
            appendDouble(out, 0x23, value.toDouble());
            return;
        case QMetaType::QByteArray: {
            const QByteArray data = value.toByteArray();
            appendMarker(out, 0x40, quint64(data.size()));
            out += data;
            return;
        }
        case QMetaType::QDateTime: {
            const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
            appendDouble(out, 0x33, double(epoch.msecsTo(value.toDateTime())) / 1000.0);
            return;
        }
        case QMetaType::QStringList:
        case QMetaType::QVariantList:
            appendMarker(out, 0xA0, quint64(node.children.size()));
            for (const quint64 child : node.children)
                appendBe(out, child, m_refSize);
            return;
        case QMetaType::QVariantMap: {
            if (const std::optional<qint64> uid = PropertyList::uidValue(value)) {
                const int size = bytesFor(quint64(*uid));
                out += char(0x80 | (size - 1));
                appendBe(out, quint64(*uid), size);
                return;
            }
            appendMarker(out, 0xD0, quint64(node.children.size() / 2));
            for (const quint64 child : node.children)
                appendBe(out, child, m_refSize);
            return;
        }
        default:
            return;
        }
    }

    std::vector<Node> m_nodes;
    int m_refSize = 1;
};

} // namespace

std::optional<QByteArray> PropertyList::tryToXml(const QVariant& root) {
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                     "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                     "<plist version=\"1.0\">\n";
    if (!write(out, root, 0))
        return std::nullopt;
    out += "</plist>\n";
    return out;
}

QByteArray PropertyList::toXml(const QVariant& root) {
    return tryToXml(root).value_or(QByteArray());
}

std::optional<QByteArray> PropertyList::tryToBinary(const QVariant& root) {
    BinaryWriter writer;
    return writer.document(root);
}

QByteArray PropertyList::toBinary(const QVariant& root) {
    return tryToBinary(root).value_or(QByteArray());
}

std::optional<QVariant> PropertyList::fromXml(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return std::nullopt;
    Reader reader(bytes);
    return reader.document();
}

std::optional<QVariant> PropertyList::fromBinary(const QByteArray& bytes) {
    BinaryReader reader(bytes);
    return reader.document();
}

std::optional<QVariant> PropertyList::fromData(const QByteArray& bytes) {
    return bytes.startsWith("bplist") ? fromBinary(bytes) : fromXml(bytes);
}

QVariantMap PropertyList::uid(qint64 index) {
    return QVariantMap{{QStringLiteral("CF$UID"), QVariant(index)}};
}

std::optional<qint64> PropertyList::uidValue(const QVariant& value) {
    if (value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = value.toMap();
    if (map.size() != 1)
        return std::nullopt;
    const QVariant index = map.value(QStringLiteral("CF$UID"));
    if (index.typeId() != QMetaType::LongLong)
        return std::nullopt;
    return index.toLongLong();
}
