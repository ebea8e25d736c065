#include "UpgradeInfo.h"

#include <QJsonDocument>

#include <array>

namespace {
constexpr std::array<const char*, 4> keys{"url", "md5", "ver", "exp"};
}

std::optional<UpgradeInfo> UpgradeInfo::fromUpdateData(const QJsonObject& data) {
    if (!data.contains(QLatin1String("url")))
        return std::nullopt;
    const auto text = [&](const char* key) {
        const QJsonValue value = data.value(QLatin1String(key));
        return value.isString() ? value.toString() : QString();
    };
    return UpgradeInfo{text("url"), text("md5"), text("ver"), text("exp")};
}

std::optional<UpgradeInfo> UpgradeInfo::fromUpdateReply(const QString& text) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonValue data = document.object().value(QLatin1String("data"));
    return data.isObject() ? fromUpdateData(data.toObject()) : std::nullopt;
}

std::optional<UpgradeInfo> UpgradeInfo::fromJsonObject(const QJsonObject& object) {
    for (const char* key : keys)
        if (!object.value(QLatin1String(key)).isString())
            return std::nullopt;
    return fromUpdateData(object);
}

QJsonObject UpgradeInfo::toJsonObject() const {
    return QJsonObject{{"url", url}, {"md5", md5}, {"ver", ver}, {"exp", exp}};
}
