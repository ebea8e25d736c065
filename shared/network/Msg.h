#pragma once

#include "CodingField.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"
#include "MsgBottom.h"
#include "MsgTop.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>

// The heartbeat's two messages; on the wire their keys are "msg_bottom" and "msg_top".
struct Msg {
    MsgBottom msgBottom;
    MsgTop msgTop;

    static auto codingFields() {
        return std::tuple{codingField(u"msg_bottom", &Msg::msgBottom), codingField(u"msg_top", &Msg::msgTop)};
    }

    // Read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<Msg> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<Msg>(jsonText);
    }
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const Msg&) const = default;
};
