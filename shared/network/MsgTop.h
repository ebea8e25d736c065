#pragma once

#include "CodingField.h"
#include "Color.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>

// The heartbeat's top message, carried as received (the title key is spelled "tittle").
struct MsgTop {
    qint64 msgid = 0;
    QString tittle;
    QString url;
    Color color;
    qint64 point = 0;
    qint64 type = 0;
    qint64 back = 0;
    qint64 width = 0;
    qint64 height = 0;

    static auto codingFields() {
        return std::tuple{codingField(u"msgid", &MsgTop::msgid),  codingField(u"tittle", &MsgTop::tittle),
                          codingField(u"url", &MsgTop::url),      codingField(u"color", &MsgTop::color),
                          codingField(u"point", &MsgTop::point),  codingField(u"type", &MsgTop::type),
                          codingField(u"back", &MsgTop::back),    codingField(u"width", &MsgTop::width),
                          codingField(u"height", &MsgTop::height)};
    }

    // Read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<MsgTop> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<MsgTop>(jsonText);
    }
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const MsgTop&) const = default;
};
