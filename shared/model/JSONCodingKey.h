#pragma once

#include <QString>
#include <optional>

// A key of a JSON object whose keys are not known in advance. Every text is a key; no integer is.
class JSONCodingKey {
public:
    explicit JSONCodingKey(QString key) : key(std::move(key)) {}
    static std::optional<JSONCodingKey> fromIntValue(int) { return std::nullopt; }

    const QString& stringValue() const { return key; }
    std::optional<int> intValue() const { return std::nullopt; }

    QString key;
};
