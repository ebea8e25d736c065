#pragma once

#include <QImage>
#include <QObject>
#include <QUrl>

// One picture of the new-features page and the page a click on it opens.
class NewFeatureModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QImage imageData READ imageData WRITE setImageData NOTIFY imageDataChanged)
    Q_PROPERTY(QUrl url READ url WRITE setUrl NOTIFY urlChanged)
public:
    // Made only with both values.
    NewFeatureModel(const QImage& imageData, const QUrl& url, QObject* parent = nullptr);

    QImage imageData() const { return m_imageData; }
    void setImageData(const QImage& image);
    QUrl url() const { return m_url; }
    void setUrl(const QUrl& url);

signals:
    void imageDataChanged();
    void urlChanged();

private:
    QImage m_imageData;
    QUrl m_url;
};
