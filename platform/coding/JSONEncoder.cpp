#include "JSONEncoder.h"

#include "CodingPathLink.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace {

class JSONValueEncoder final : public Encoder {
public:
    JSONValueEncoder(const CodingPathLink& link, CodingError& error) : m_link(link), m_error(error) {}

    QStringList codingPath() const override { return m_link.toList(); }
    CodingError& error() override { return m_error; }

    bool encodeNil() override { return set(QJsonValue(QJsonValue::Null)); }
    bool encodeBool(bool value) override { return set(QJsonValue(value)); }
    bool encodeInt64(qint64 value) override { return set(QJsonValue(value)); }
    bool encodeDouble(double value) override {
        if (!std::isfinite(value)) {
            m_error = {CodingError::Kind::invalidValue, codingPath(),
                       QStringLiteral("Unable to encode %1 directly in JSON.").arg(value)};
            return false;
        }
        return set(QJsonValue(value));
    }
    bool encodeString(const QString& value) override { return set(QJsonValue(value)); }

    bool encodeKeyed(FunctionRef<bool(KeyedEncodingContainer&)> fill) override;
    bool encodeUnkeyed(FunctionRef<bool(UnkeyedEncodingContainer&)> fill) override;

    QJsonValue result;

private:
    bool set(QJsonValue value) {
        result = std::move(value);
        return true;
    }

    const CodingPathLink& m_link;
    CodingError& m_error;
};

class JSONKeyedEncodingContainer final : public KeyedEncodingContainer {
public:
    JSONKeyedEncodingContainer(QJsonObject& object, const CodingPathLink& link, CodingError& error)
        : m_object(object), m_link(link), m_error(error) {}

    QStringList codingPath() const override { return m_link.toList(); }
    CodingError& error() override { return m_error; }

    bool encode(QStringView key, FunctionRef<bool(Encoder&)> write) override {
        const CodingPathLink link{&m_link, key};
        JSONValueEncoder value(link, m_error);
        if (!write(value))
            return false;
        m_object.insert(key, value.result);
        return true;
    }

private:
    QJsonObject& m_object;
    const CodingPathLink& m_link;
    CodingError& m_error;
};

class JSONUnkeyedEncodingContainer final : public UnkeyedEncodingContainer {
public:
    JSONUnkeyedEncodingContainer(QJsonArray& array, const CodingPathLink& link, CodingError& error)
        : m_array(array), m_link(link), m_error(error) {}

    QStringList codingPath() const override { return m_link.toList(); }
    CodingError& error() override { return m_error; }
    qsizetype count() const override { return m_array.size(); }

    bool append(FunctionRef<bool(Encoder&)> write) override {
        const CodingPathLink link{&m_link, {}, m_array.size()};
        JSONValueEncoder element(link, m_error);
        if (!write(element))
            return false;
        m_array.append(element.result);
        return true;
    }

private:
    QJsonArray& m_array;
    const CodingPathLink& m_link;
    CodingError& m_error;
};

bool JSONValueEncoder::encodeKeyed(FunctionRef<bool(KeyedEncodingContainer&)> fill) {
    QJsonObject object;
    JSONKeyedEncodingContainer container(object, m_link, m_error);
    if (!fill(container))
        return false;
    return set(object);
}

bool JSONValueEncoder::encodeUnkeyed(FunctionRef<bool(UnkeyedEncodingContainer&)> fill) {
    QJsonArray array;
    JSONUnkeyedEncodingContainer container(array, m_link, m_error);
    if (!fill(container))
        return false;
    return set(array);
}

} // namespace

bool JSONEncoder::encodeToValue(FunctionRef<bool(Encoder&)> write, QJsonValue& out, CodingError* error) {
    CodingError last;
    const CodingPathLink top;
    JSONValueEncoder encoder(top, last);
    if (!write(encoder)) {
        if (error)
            *error = last;
        return false;
    }
    out = encoder.result;
    return true;
}

std::optional<QByteArray> JSONEncoder::text(const QJsonValue& value, CodingError* error) {
    if (value.isObject())
        return QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    if (value.isArray())
        return QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
    if (error)
        *error = {CodingError::Kind::invalidValue,
                  {},
                  QStringLiteral("Top-level value must be an object or a list to be written as JSON text.")};
    return std::nullopt;
}
