#include "GuideModel.h"

#include <QBuffer>
#include <QImageReader>

GuideModel::GuideModel(GuideResponse guideResponse, QObject* parent)
    : QObject(parent), m_guideResponse(std::move(guideResponse)) {}

void GuideModel::loadImages() {
    m_leftPanel.clear();
    m_newFeature.clear();
    const PurpleData& data = m_guideResponse.data;
    qint64 budget = qint64(totalAllocationLimitMB) * 1024 * 1024;
    m_leftPanel = load(data.leftPanel, data.leftPanelUrl, budget);
    m_newFeature = load(data.newFeature, data.newFeatureUrl, budget);
}

GuideModel::Pictures GuideModel::load(const std::vector<QString>& pictures, const std::vector<QString>& links,
                                      qint64& budget) {
    Pictures loaded;
    const size_t count = std::min({pictures.size(), links.size(), size_t(maximumPicturesPerList)});
    for (size_t i = 0; i < count; ++i) {
        // The reader refuses a picture needing more than what is left (0 would mean no limit).
        const int leftMB = int(qMin<qint64>(pictureAllocationLimitMB, budget / (1024 * 1024)));
        if (leftMB < 1)
            break;
        const auto url = link(links[i]);
        if (!url)
            continue;
        const QImage image = picture(pictures[i], leftMB);
        if (image.isNull())
            continue;
        budget -= image.sizeInBytes();
        loaded.append({image, *url});
    }
    return loaded;
}

QImage GuideModel::picture(const QString& text, int allocationLimitMB) {
    const QStringList pieces = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (pieces.isEmpty())
        return QImage();
    const QString& last = pieces.last();
    // Padding is required: the decoder below would accept a shortened last group.
    if (last.size() % 4 != 0)
        return QImage();
    // Only the Base64 alphabet may appear; toLatin1 would turn other characters into '?', which
    // the decoder refuses anyway, but checking first keeps that from being an accident.
    for (const QChar c : last) {
        if (c.unicode() > 0x7f)
            return QImage();
    }
    const auto decoded = QByteArray::fromBase64Encoding(
        last.toLatin1(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty())
        return QImage();
    QByteArray bytes = decoded.decoded;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(allocationLimitMB);
    return reader.read();
}

std::optional<QUrl> GuideModel::link(const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
}
