#pragma once

#include "CodingField.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>

// The heartbeat's bottom message, shown as the main window's news link: `msg` is its title,
// `url` its target and `color` its colour (a leading character, then hexadecimal digits).
struct MsgBottom {
    qint64 msgid = 0;
    QString msg;
    QString url;
    QString color;
    qint64 back = 0;

    static auto codingFields() {
        return std::tuple{codingField(u"msgid", &MsgBottom::msgid), codingField(u"msg", &MsgBottom::msg),
                          codingField(u"url", &MsgBottom::url), codingField(u"color", &MsgBottom::color),
                          codingField(u"back", &MsgBottom::back)};
    }

    // Read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<MsgBottom> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<MsgBottom>(jsonText);
    }
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const MsgBottom&) const = default;
};
