#include "VideoDetail.h"

#include "JSONDecoder.h"
#include "JSONEncoder.h"

#include <QCoreApplication>

std::optional<VideoDetail> VideoDetail::fromJson(const QByteArray& jsonText) {
    return JSONDecoder::decode<VideoDetail>(jsonText);
}

std::optional<VideoDetail> VideoDetail::fromJsonObject(const QJsonObject& object) {
    return JSONDecoder::decode<VideoDetail>(QJsonValue(object));
}

QByteArray VideoDetail::toJson() const {
    return JSONEncoder::encode(*this).value_or(QByteArray());
}

QJsonObject VideoDetail::toJsonObject() const {
    return JSONEncoder::encodeValue(*this).value_or(QJsonValue()).toObject();
}

bool VideoDetail::isHighPerformance() const {
    constexpr qint64 maximumNormalPixels = 2560LL * 1440 - 1;
    qint64 pixels = 0;
    // A product beyond 64 bits is certainly more than the normal class allows.
    if (__builtin_mul_overflow(width, height, &pixels))
        return true;
    return !(pixels <= maximumNormalPixels && rate <= 5'120'000 && frame < 31);
}

PerformanceRequirement VideoDetail::requirement() const {
    const bool high = isHighPerformance();
    PerformanceRequirement result;
    result.text = QCoreApplication::translate("Localizable", high ? "High Performance" : "Normal Performance",
                                              "new more resouce");
    result.color = high ? PerformanceRequirement::Color::systemRed : PerformanceRequirement::Color::label;
    result.alignment = Qt::AlignRight;
    return result;
}
