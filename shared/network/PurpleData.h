#pragma once

#include "CodingField.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>
#include <vector>

// The guide's picture lists, each with its parallel list of links. A picture text's last non-empty
// comma-separated piece is Base64 image data. Only leftPanel and newFeature are shown; the other
// lists are required all the same.
struct PurpleData {
    std::vector<QString> leftPanel;
    std::vector<QString> leftPanelUrl;
    std::vector<QString> window;
    std::vector<QString> windowUrl;
    std::vector<QString> browser;
    std::vector<QString> browserUrl;
    std::vector<QString> newFeature;
    std::vector<QString> newFeatureUrl;

    static auto codingFields() {
        return std::tuple{codingField(u"leftPanel", &PurpleData::leftPanel),
                          codingField(u"leftPanelUrl", &PurpleData::leftPanelUrl),
                          codingField(u"window", &PurpleData::window),
                          codingField(u"windowUrl", &PurpleData::windowUrl),
                          codingField(u"browser", &PurpleData::browser),
                          codingField(u"browserUrl", &PurpleData::browserUrl),
                          codingField(u"newFeature", &PurpleData::newFeature),
                          codingField(u"newFeatureUrl", &PurpleData::newFeatureUrl)};
    }

    // Read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<PurpleData> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<PurpleData>(jsonText);
    }
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const PurpleData&) const = default;
};
