#include "JSONDecoder.h"

#include "CodingPathLink.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace {

QString typeName(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

class JSONValueDecoder final : public Decoder {
public:
    JSONValueDecoder(QJsonValue value, const CodingPathLink& link, CodingError& error)
        : m_value(std::move(value)), m_link(link), m_error(error) {}

    QStringList codingPath() const override { return m_link.toList(); }
    CodingError& error() override { return m_error; }

    bool decodeNil() override { return m_value.isNull(); }

    std::optional<bool> decodeBool() override {
        if (m_value.isBool())
            return m_value.toBool();
        return mismatch(QStringLiteral("Bool")), std::nullopt;
    }

    std::optional<qint64> decodeInt64() override {
        if (m_value.isDouble()) {
            // toInteger gives the default for a fraction or a value out of range; two different
            // defaults tell those apart from a genuine value.
            const qint64 low = m_value.toInteger(0);
            if (low == m_value.toInteger(1))
                return low;
            m_error = {CodingError::Kind::dataCorrupted, codingPath(),
                       QStringLiteral("Parsed JSON number <%1> does not fit in Int64.")
                           .arg(m_value.toDouble(), 0, 'g', 17)};
            return std::nullopt;
        }
        return mismatch(QStringLiteral("Int64")), std::nullopt;
    }

    std::optional<double> decodeDouble() override {
        if (m_value.isDouble())
            return m_value.toDouble();
        return mismatch(QStringLiteral("Double")), std::nullopt;
    }

    std::optional<QString> decodeString() override {
        if (m_value.isString())
            return m_value.toString();
        return mismatch(QStringLiteral("String")), std::nullopt;
    }

    bool decodeKeyed(FunctionRef<bool(KeyedDecodingContainer&)> read) override;
    bool decodeUnkeyed(FunctionRef<bool(UnkeyedDecodingContainer&)> read) override;

private:
    void mismatch(const QString& expected) {
        if (m_value.isNull())
            m_error = {CodingError::Kind::valueNotFound, codingPath(),
                       QStringLiteral("Expected %1 value but found null instead.").arg(expected)};
        else
            m_error = {CodingError::Kind::typeMismatch, codingPath(),
                       QStringLiteral("Expected to decode %1 but found %2 instead.")
                           .arg(expected, typeName(m_value))};
    }

    QJsonValue m_value;
    const CodingPathLink& m_link;
    CodingError& m_error;
};

class JSONKeyedDecodingContainer final : public KeyedDecodingContainer {
public:
    JSONKeyedDecodingContainer(QJsonObject object, const CodingPathLink& link, CodingError& error)
        : m_object(std::move(object)), m_link(link), m_error(error) {}

    QStringList codingPath() const override { return m_link.toList(); }
    CodingError& error() override { return m_error; }
    QStringList allKeys() const override { return m_object.keys(); }
    bool contains(QStringView key) const override { return m_object.contains(key); }

    bool decode(QStringView key, FunctionRef<bool(Decoder&)> read) override {
        const auto found = m_object.constFind(key);
        if (found == m_object.constEnd()) {
            m_error = {CodingError::Kind::keyNotFound, codingPath(),
                       QStringLiteral("No value associated with key \"%1\".").arg(key)};
            return false;
        }
        const CodingPathLink link{&m_link, key};
        JSONValueDecoder value(found.value(), link, m_error);
        return read(value);
    }

private:
    QJsonObject m_object;
    const CodingPathLink& m_link;
    CodingError& m_error;
};

class JSONUnkeyedDecodingContainer final : public UnkeyedDecodingContainer {
public:
    JSONUnkeyedDecodingContainer(QJsonArray array, const CodingPathLink& link, CodingError& error)
        : m_array(std::move(array)), m_link(link), m_error(error) {}

    QStringList codingPath() const override { return m_link.toList(); }
    CodingError& error() override { return m_error; }
    std::optional<qsizetype> count() const override { return m_array.size(); }
    bool isAtEnd() const override { return m_index >= m_array.size(); }
    qsizetype currentIndex() const override { return m_index; }

    bool decodeNext(FunctionRef<bool(Decoder&)> read) override {
        if (isAtEnd()) {
            m_error = {CodingError::Kind::valueNotFound, codingPath(),
                       QStringLiteral("Unkeyed container is at end.")};
            return false;
        }
        const CodingPathLink link{&m_link, {}, m_index};
        JSONValueDecoder element(m_array.at(m_index), link, m_error);
        if (!read(element))
            return false;
        ++m_index;
        return true;
    }

private:
    QJsonArray m_array;
    const CodingPathLink& m_link;
    CodingError& m_error;
    qsizetype m_index = 0;
};

bool JSONValueDecoder::decodeKeyed(FunctionRef<bool(KeyedDecodingContainer&)> read) {
    if (!m_value.isObject())
        return mismatch(QStringLiteral("a keyed container")), false;
    JSONKeyedDecodingContainer object(m_value.toObject(), m_link, m_error);
    return read(object);
}

bool JSONValueDecoder::decodeUnkeyed(FunctionRef<bool(UnkeyedDecodingContainer&)> read) {
    if (!m_value.isArray())
        return mismatch(QStringLiteral("an unkeyed container")), false;
    JSONUnkeyedDecodingContainer array(m_value.toArray(), m_link, m_error);
    return read(array);
}

} // namespace

bool JSONDecoder::decodeValue(const QJsonValue& json, FunctionRef<bool(Decoder&)> read, CodingError* error) {
    CodingError last;
    const CodingPathLink top;
    JSONValueDecoder decoder(json, top, last);
    const bool ok = read(decoder);
    if (!ok && error)
        *error = last;
    return ok;
}

bool JSONDecoder::decodeDocument(const QByteArray& json, FunctionRef<bool(Decoder&)> read,
                                 CodingError* error) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        if (error)
            *error = {CodingError::Kind::dataCorrupted,
                      {},
                      QStringLiteral("The given data was not valid JSON: %1 at offset %2.")
                          .arg(parseError.errorString())
                          .arg(parseError.offset)};
        return false;
    }
    const QJsonValue top = document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
    return decodeValue(top, read, error);
}
