#include "VariantEncoder.h"

#include "CodingPathLink.h"

#include <QVariantList>
#include <QVariantMap>

namespace {

class VariantValueEncoder final : public Encoder {
public:
    VariantValueEncoder(const CodingPathLink& link, CodingError& error) : m_link(link), m_error(error) {}

    QStringList codingPath() const override { return m_link.toList(); }
    CodingError& error() override { return m_error; }

    bool encodeNil() override {
        m_error = {CodingError::Kind::invalidValue, codingPath(),
                   QStringLiteral("A property list has no null value.")};
        return false;
    }
    bool encodeBool(bool value) override { return set(QVariant(value)); }
    bool encodeInt64(qint64 value) override { return set(QVariant(value)); }
    bool encodeDouble(double value) override { return set(QVariant(value)); }
    bool encodeString(const QString& value) override { return set(QVariant(value)); }

    bool encodeKeyed(FunctionRef<bool(KeyedEncodingContainer&)> fill) override;
    bool encodeUnkeyed(FunctionRef<bool(UnkeyedEncodingContainer&)> fill) override;

    QVariant result;

private:
    bool set(QVariant value) {
        result = std::move(value);
        return true;
    }

    const CodingPathLink& m_link;
    CodingError& m_error;
};

class VariantKeyedEncodingContainer final : public KeyedEncodingContainer {
public:
    VariantKeyedEncodingContainer(QVariantMap& map, const CodingPathLink& link, CodingError& error)
        : m_map(map), m_link(link), m_error(error) {}

    QStringList codingPath() const override { return m_link.toList(); }
    CodingError& error() override { return m_error; }

    bool encode(QStringView key, FunctionRef<bool(Encoder&)> write) override {
        const CodingPathLink link{&m_link, key};
        VariantValueEncoder value(link, m_error);
        if (!write(value))
            return false;
        m_map.insert(key.toString(), value.result);
        return true;
    }

private:
    QVariantMap& m_map;
    const CodingPathLink& m_link;
    CodingError& m_error;
};

class VariantUnkeyedEncodingContainer final : public UnkeyedEncodingContainer {
public:
    VariantUnkeyedEncodingContainer(QVariantList& list, const CodingPathLink& link, CodingError& error)
        : m_list(list), m_link(link), m_error(error) {}

    QStringList codingPath() const override { return m_link.toList(); }
    CodingError& error() override { return m_error; }
    qsizetype count() const override { return m_list.size(); }

    bool append(FunctionRef<bool(Encoder&)> write) override {
        const CodingPathLink link{&m_link, {}, m_list.size()};
        VariantValueEncoder element(link, m_error);
        if (!write(element))
            return false;
        m_list.append(element.result);
        return true;
    }

private:
    QVariantList& m_list;
    const CodingPathLink& m_link;
    CodingError& m_error;
};

bool VariantValueEncoder::encodeKeyed(FunctionRef<bool(KeyedEncodingContainer&)> fill) {
    QVariantMap map;
    VariantKeyedEncodingContainer container(map, m_link, m_error);
    if (!fill(container))
        return false;
    return set(map);
}

bool VariantValueEncoder::encodeUnkeyed(FunctionRef<bool(UnkeyedEncodingContainer&)> fill) {
    QVariantList list;
    VariantUnkeyedEncodingContainer container(list, m_link, m_error);
    if (!fill(container))
        return false;
    return set(list);
}

} // namespace

bool VariantEncoder::encodeValue(FunctionRef<bool(Encoder&)> write, QVariant& out, CodingError* error) {
    CodingError last;
    const CodingPathLink top;
    VariantValueEncoder encoder(top, last);
    if (!write(encoder)) {
        if (error)
            *error = last;
        return false;
    }
    out = encoder.result;
    return true;
}
