#include "NewFeatureModel.h"

NewFeatureModel::NewFeatureModel(const QImage& imageData, const QUrl& url, QObject* parent)
    : QObject(parent), m_imageData(imageData), m_url(url) {}

void NewFeatureModel::setImageData(const QImage& image) {
    m_imageData = image;
    emit imageDataChanged();
}

void NewFeatureModel::setUrl(const QUrl& url) {
    m_url = url;
    emit urlChanged();
}
