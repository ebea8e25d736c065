#pragma once

#include "Disposable.h"

#include <QList>
#include <QWidget>
#include <optional>

class NewFeatureModel;
class NotificationCenter;
class QListWidget;
class UrlOpener;
class WebModel;

// A page of pictures of what is new in the application; clicking one opens its web page. The
// pictures come from the server's guide, with seven of our own until the guide has arrived. Nothing
// in the application opens this page yet.
class NewFeaturesViewControlller : public QWidget {
    Q_OBJECT
public:
    NewFeaturesViewControlller(WebModel& webModel, NotificationCenter& notifications, UrlOpener& urlOpener,
                               QWidget* parent = nullptr);
    ~NewFeaturesViewControlller() override;

    QListWidget* collectionView() const { return m_collectionView; }
    // The items in order, computed on first use.
    const QList<NewFeatureModel*>& newFeatureModelArray();
    void setNewFeatureModelArray(QList<NewFeatureModel*> items);

    // On "NewFeatureUpdated": the guide's pictures replace the items (nothing changes while the
    // client holds no guide).
    void updateNewFeature();

signals:
    void newFeatureModelArrayChanged();

private:
    QList<NewFeatureModel*> fromGuide() const;
    void reloadItems();
    void selectionChanged();

    WebModel& m_webModel;
    UrlOpener& m_urlOpener;
    QListWidget* m_collectionView = nullptr;
    std::optional<QList<NewFeatureModel*>> m_newFeatureModelArray;
    std::optional<Disposable> m_updateObservation;
};
