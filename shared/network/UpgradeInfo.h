#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

// What the server says about the newest version: where to get it, its digest (carried, never
// used), its version text and its release notes.
struct UpgradeInfo {
    QString url;
    QString md5;
    QString ver;
    QString exp;

    // The update check's lenient reading of the reply's "data" object: none without the key
    // "url"; otherwise each field is the text under its key, or empty when that key is missing or
    // not a text.
    static std::optional<UpgradeInfo> fromUpdateData(const QJsonObject& data);

    // The update check's reply text: a JSON object whose "data" object is read as above; none
    // when the text is not JSON, not an object, or "data" is not an object.
    static std::optional<UpgradeInfo> fromUpdateReply(const QString& text);

    // The strict coding: the four keys, all required texts.
    static std::optional<UpgradeInfo> fromJsonObject(const QJsonObject& object);
    QJsonObject toJsonObject() const;

    bool operator==(const UpgradeInfo&) const = default;
};
