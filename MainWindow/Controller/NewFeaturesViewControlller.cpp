#include "NewFeaturesViewControlller.h"

#include "AppImage.h"
#include "AppInfo.h"
#include "GuideModel.h"
#include "NewFeatureModel.h"
#include "NotificationCenter.h"
#include "UrlOpener.h"
#include "WebModel.h"

#include <QListWidget>
#include <QPointer>
#include <QVBoxLayout>

NewFeaturesViewControlller::NewFeaturesViewControlller(WebModel& webModel, NotificationCenter& notifications,
                                                       UrlOpener& urlOpener, QWidget* parent)
    : QWidget(parent), m_webModel(webModel), m_urlOpener(urlOpener) {
    m_collectionView = new QListWidget;
    m_collectionView->setViewMode(QListView::IconMode);
    m_collectionView->setIconSize(QSize(320, 180));
    m_collectionView->setGridSize(QSize(340, 200));
    m_collectionView->setResizeMode(QListView::Adjust);
    m_collectionView->setMovement(QListView::Static);
    m_collectionView->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_collectionView);

    QPointer<NewFeaturesViewControlller> page(this);
    m_updateObservation =
        notifications.addObserver(WebModel::newFeatureUpdatedNotification(), [page](const Notification&) {
            if (page)
                page->updateNewFeature();
        });
    connect(m_collectionView, &QListWidget::itemSelectionChanged, this,
            &NewFeaturesViewControlller::selectionChanged);
    reloadItems();
}

NewFeaturesViewControlller::~NewFeaturesViewControlller() = default;

QList<NewFeatureModel*> NewFeaturesViewControlller::fromGuide() const {
    QList<NewFeatureModel*> items;
    const std::shared_ptr<GuideModel> guide = m_webModel.guideModel();
    if (!guide) {
        for (int i = 0; i < 7; ++i)
            items << new NewFeatureModel(AppImage::named(QStringLiteral("NewFeature%1").arg(i)),
                                         AppInfo::webSiteURL(),
                                         const_cast<NewFeaturesViewControlller*>(this));
        return items;
    }
    for (const auto& [image, url] : guide->newFeature())
        items << new NewFeatureModel(image, url, const_cast<NewFeaturesViewControlller*>(this));
    return items;
}

const QList<NewFeatureModel*>& NewFeaturesViewControlller::newFeatureModelArray() {
    if (!m_newFeatureModelArray)
        m_newFeatureModelArray = fromGuide();
    return *m_newFeatureModelArray;
}

void NewFeaturesViewControlller::setNewFeatureModelArray(QList<NewFeatureModel*> items) {
    if (m_newFeatureModelArray)
        for (NewFeatureModel* old : *m_newFeatureModelArray)
            if (!items.contains(old))
                old->deleteLater();
    for (NewFeatureModel* item : items)
        item->setParent(this);
    m_newFeatureModelArray = std::move(items);
    reloadItems();
    emit newFeatureModelArrayChanged();
}

void NewFeaturesViewControlller::updateNewFeature() {
    if (!m_webModel.guideModel())
        return;
    setNewFeatureModelArray(fromGuide());
}

void NewFeaturesViewControlller::reloadItems() {
    const QSignalBlocker quiet(m_collectionView);
    m_collectionView->clear();
    for (NewFeatureModel* item : newFeatureModelArray())
        new QListWidgetItem(QIcon(QPixmap::fromImage(item->imageData())), QString(), m_collectionView);
}

void NewFeaturesViewControlller::selectionChanged() {
    const QModelIndexList selected = m_collectionView->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    int first = selected.first().row();
    for (const QModelIndex& index : selected)
        first = std::min(first, index.row());
    const auto& items = newFeatureModelArray();
    if (first < 0 || first >= items.size())
        return;
    const QUrl url = items.at(first)->url();
    // Guide addresses come from the server: only web pages are opened.
    if (UrlOpener::isWebAddress(url))
        m_urlOpener.openUrl(url);
}
