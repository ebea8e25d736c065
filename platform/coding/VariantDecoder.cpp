#include "VariantDecoder.h"

#include "CodingPathLink.h"

#include <QVariantList>
#include <QVariantMap>

namespace {

constexpr int maximumDepth = 1024;

bool isIntegral(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

bool isNull(const QVariant& value) {
    return !value.isValid() || value.typeId() == QMetaType::Nullptr;
}

class VariantValueDecoder final : public Decoder {
public:
    VariantValueDecoder(const QVariant& value, const CodingPathLink& link, CodingError& error, int depth)
        : m_value(value), m_link(link), m_error(error), m_depth(depth) {}

    QStringList codingPath() const override { return m_link.toList(); }
    CodingError& error() override { return m_error; }

    bool decodeNil() override { return isNull(m_value); }

    std::optional<bool> decodeBool() override {
        if (m_value.typeId() == QMetaType::Bool)
            return m_value.toBool();
        return mismatch(QStringLiteral("Bool")), std::nullopt;
    }

    std::optional<qint64> decodeInt64() override {
        if (isIntegral(m_value)) {
            if (m_value.typeId() == QMetaType::ULongLong || m_value.typeId() == QMetaType::ULong) {
                if (m_value.toULongLong() > quint64(std::numeric_limits<qint64>::max())) {
                    m_error = {CodingError::Kind::dataCorrupted, codingPath(),
                               QStringLiteral("Number %1 does not fit in Int64.").arg(m_value.toULongLong())};
                    return std::nullopt;
                }
            }
            return m_value.toLongLong();
        }
        return mismatch(QStringLiteral("Int64")), std::nullopt;
    }

    std::optional<double> decodeDouble() override {
        if (m_value.typeId() == QMetaType::Double || m_value.typeId() == QMetaType::Float ||
            isIntegral(m_value))
            return m_value.toDouble();
        return mismatch(QStringLiteral("Double")), std::nullopt;
    }

    std::optional<QString> decodeString() override {
        if (m_value.typeId() == QMetaType::QString)
            return m_value.toString();
        return mismatch(QStringLiteral("String")), std::nullopt;
    }

    bool decodeKeyed(FunctionRef<bool(KeyedDecodingContainer&)> read) override;
    bool decodeUnkeyed(FunctionRef<bool(UnkeyedDecodingContainer&)> read) override;

private:
    void mismatch(const QString& expected) {
        if (isNull(m_value))
            m_error = {CodingError::Kind::valueNotFound, codingPath(),
                       QStringLiteral("Expected %1 value but found null instead.").arg(expected)};
        else
            m_error = {CodingError::Kind::typeMismatch, codingPath(),
                       QStringLiteral("Expected to decode %1 but found %2 instead.")
                           .arg(expected, QString::fromLatin1(m_value.typeName()))};
    }
    bool tooDeep() {
        if (m_depth < maximumDepth)
            return false;
        m_error = {CodingError::Kind::dataCorrupted, codingPath(), QStringLiteral("Nested too deeply.")};
        return true;
    }

    const QVariant& m_value;
    const CodingPathLink& m_link;
    CodingError& m_error;
    int m_depth;
};

class VariantKeyedDecodingContainer final : public KeyedDecodingContainer {
public:
    VariantKeyedDecodingContainer(QVariantMap map, const CodingPathLink& link, CodingError& error, int depth)
        : m_map(std::move(map)), m_link(link), m_error(error), m_depth(depth) {}

    QStringList codingPath() const override { return m_link.toList(); }
    CodingError& error() override { return m_error; }
    QStringList allKeys() const override { return m_map.keys(); }
    bool contains(QStringView key) const override { return m_map.contains(key.toString()); }

    bool decode(QStringView key, FunctionRef<bool(Decoder&)> read) override {
        const auto found = m_map.constFind(key.toString());
        if (found == m_map.constEnd()) {
            m_error = {CodingError::Kind::keyNotFound, codingPath(),
                       QStringLiteral("No value associated with key \"%1\".").arg(key)};
            return false;
        }
        const CodingPathLink link{&m_link, key};
        VariantValueDecoder value(found.value(), link, m_error, m_depth + 1);
        return read(value);
    }

private:
    QVariantMap m_map;
    const CodingPathLink& m_link;
    CodingError& m_error;
    int m_depth;
};

class VariantUnkeyedDecodingContainer final : public UnkeyedDecodingContainer {
public:
    VariantUnkeyedDecodingContainer(QVariantList list, const CodingPathLink& link, CodingError& error,
                                    int depth)
        : m_list(std::move(list)), m_link(link), m_error(error), m_depth(depth) {}

    QStringList codingPath() const override { return m_link.toList(); }
    CodingError& error() override { return m_error; }
    std::optional<qsizetype> count() const override { return m_list.size(); }
    bool isAtEnd() const override { return m_index >= m_list.size(); }
    qsizetype currentIndex() const override { return m_index; }

    bool decodeNext(FunctionRef<bool(Decoder&)> read) override {
        if (isAtEnd()) {
            m_error = {CodingError::Kind::valueNotFound, codingPath(),
                       QStringLiteral("Unkeyed container is at end.")};
            return false;
        }
        const CodingPathLink link{&m_link, {}, m_index};
        VariantValueDecoder element(m_list.at(m_index), link, m_error, m_depth + 1);
        if (!read(element))
            return false;
        ++m_index;
        return true;
    }

private:
    QVariantList m_list;
    const CodingPathLink& m_link;
    CodingError& m_error;
    int m_depth;
    qsizetype m_index = 0;
};

bool VariantValueDecoder::decodeKeyed(FunctionRef<bool(KeyedDecodingContainer&)> read) {
    if (m_value.typeId() != QMetaType::QVariantMap)
        return mismatch(QStringLiteral("a keyed container")), false;
    if (tooDeep())
        return false;
    VariantKeyedDecodingContainer map(m_value.toMap(), m_link, m_error, m_depth);
    return read(map);
}

bool VariantValueDecoder::decodeUnkeyed(FunctionRef<bool(UnkeyedDecodingContainer&)> read) {
    if (m_value.typeId() != QMetaType::QVariantList)
        return mismatch(QStringLiteral("an unkeyed container")), false;
    if (tooDeep())
        return false;
    VariantUnkeyedDecodingContainer list(m_value.toList(), m_link, m_error, m_depth);
    return read(list);
}

} // namespace

bool VariantDecoder::decodeValue(const QVariant& tree, FunctionRef<bool(Decoder&)> read, CodingError* error) {
    CodingError last;
    const CodingPathLink top;
    VariantValueDecoder decoder(tree, top, last, 0);
    const bool ok = read(decoder);
    if (!ok && error)
        *error = last;
    return ok;
}
