// The cells inside a real collection view: the video grid with a selection and a footer, and the
// downloads list, as the library page arranges them.
#include "Gallery.h"

#include "AppImage.h"
#include "ClickableImageView.h"
#include "DownloadItemCell.h"
#include "FooterView.h"
#include "ImageAspectFillView.h"
#include "VideoItemCell.h"
#include "VideoItemImageView.h"
#include "ZFCollectionView.h"

#include <QLabel>
#include <QPainter>
#include <QProgressBar>

namespace {
// A 16:9 picture in one of a few hues, so neighbouring cells are told apart.
QImage tinted(int index) {
    QImage image(320, 180, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor::fromHsv((index * 47) % 360, 120, 200));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 90));
    p.drawEllipse(QPointF(80 + index * 13 % 160, 70), 40, 40);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawEllipse(QPointF(160, 260), 260, 120);
    return image;
}

struct Grid : CollectionViewDataSource {
    int numberOfItemsInSection(CollectionView*, int) override { return 10; }
    CollectionViewCell* cellForItemAt(CollectionView* view, const IndexPath& path) override {
        auto* cell =
            static_cast<VideoItemCell*>(view->dequeueReusableCell(VideoItemCell::reuseIdentifier, path));
        cell->imageView()->setImage(path.item == 9 ? AppImage::named("default_thumbnail")
                                                   : tinted(path.item));
        cell->title()->setText(QStringLiteral("Video number %1 with a longer title").arg(path.item + 1));
        cell->coverImageView()->setImage(
            path.item == 2   ? AppImage::named("online_video_list_downloading_corvex.png")
            : path.item == 5 ? AppImage::named("online_video_list_downloaded_corvex.png")
                             : QImage());
        return cell;
    }
    CollectionReusableView* viewForSupplementaryElementOfKind(CollectionView* view, const QString& kind,
                                                              const IndexPath& path) override {
        auto* footer = static_cast<FooterView*>(
            view->dequeueReusableSupplementaryView(kind, FooterView::reuseIdentifier, path));
        footer->titleLabel()->setText(QStringLiteral("1 / 3"));
        return footer;
    }
};

struct Downloads : CollectionViewDataSource {
    int numberOfItemsInSection(CollectionView*, int) override { return 4; }
    CollectionViewCell* cellForItemAt(CollectionView* view, const IndexPath& path) override {
        auto* cell = static_cast<DownloadItemCell*>(
            view->dequeueReusableCell(DownloadItemCell::reuseIdentifier, path));
        cell->imageView()->setImage(tinted(path.item));
        cell->title()->setText(QStringLiteral("Video number %1").arg(path.item + 1));
        cell->status()->setText(path.item == 0 ? QStringLiteral("Downloading...")
                                               : QStringLiteral("Waiting..."));
        cell->progressIndicator()->setValue(path.item == 0 ? 37 : 0);
        cell->percent()->setText(QStringLiteral("%1 MB/52.00 MB").arg(path.item == 0 ? "19.24" : "0.00"));
        cell->downloadImageView()->setImage(AppImage::named("download_pause_normal"));
        cell->deleteImageView()->setImage(AppImage::named("download_delete_normal"));
        return cell;
    }
};
} // namespace

GALLERY_PAGE("LibraryGrid") {
    Grid grid;
    ZFCollectionView view;
    auto layout = std::make_shared<CollectionViewColumnLayout>();
    layout->setFooterHeight(30);
    view.setCollectionViewLayout(layout);
    view.registerCell(VideoItemCell::reuseIdentifier, [] { return new VideoItemCell; });
    view.registerSupplementaryView(CollectionView::elementKindSectionFooter, FooterView::reuseIdentifier,
                                   [] { return new FooterView; });
    view.setDataSource(&grid);
    view.resize(700, 380);
    view.reloadData();
    view.selectItem(IndexPath(5), false, 0);
    shots.shot("videos with a selection", &view);

    Downloads downloads;
    ZFCollectionView list;
    list.setCollectionViewLayout(std::make_shared<CollectionViewListLayout>());
    list.registerCell(DownloadItemCell::reuseIdentifier, [] { return new DownloadItemCell; });
    list.setDataSource(&downloads);
    list.resize(700, 280);
    list.reloadData();
    shots.shot("downloads", &list);
}
