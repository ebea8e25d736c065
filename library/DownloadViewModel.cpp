#include "DownloadViewModel.h"

#include "AppImage.h"
#include "AttributedTitle.h"
#include "ClickableImageView.h"
#include "DisplayFormat.h"
#include "DownloadItemCell.h"
#include "DownloadManager.h"
#include "ImageAspectFillView.h"
#include "ImageLoader.h"
#include "LooseUrl.h"
#include "ReplyLimits.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <cmath>

namespace {
QString localized(const char* key) {
    return QCoreApplication::translate("Localizable", key);
}

void setButtonImages(ClickableImageView* button, const char* normal, const char* hover) {
    if (!button)
        return;
    const QImage normalImage = AppImage::named(QString::fromLatin1(normal));
    button->setNormalImage(normalImage);
    button->setImage(normalImage);
    button->setHoverImage(AppImage::named(QString::fromLatin1(hover)));
}

void setStatusText(QLabel* label, const QString& text, bool error = false) {
    if (!label)
        return;
    // The colour of the role the label draws with; its own colour is kept to come back to.
    static constexpr const char* normalColorProperty = "zerafinNormalColor";
    const QPalette::ColorRole role = label->foregroundRole();
    QPalette palette = label->palette();
    if (!label->property(normalColorProperty).isValid())
        label->setProperty(normalColorProperty, palette.color(role));
    palette.setColor(role, error ? AttributedTitle::redLinkStyleTitle(text).foregroundColor()
                                 : label->property(normalColorProperty).value<QColor>());
    label->setPalette(palette);
    label->setText(text);
}

QString sizesText(qint64 done, qint64 total) {
    // A figure that cannot be true reads as nothing known yet.
    const auto shown = [](qint64 bytes) {
        const QString text = DisplayFormat::formatFileSize(bytes);
        return text.isEmpty() ? DisplayFormat::formatFileSize(0) : text;
    };
    return shown(done) + QLatin1Char('/') + shown(total);
}
} // namespace

DownloadViewModel::DownloadViewModel(Dependencies dependencies, QObject* parent)
    : LibraryViewModel(*dependencies.images, *dependencies.notifications, parent),
      m_dependencies(dependencies) {}

QString DownloadViewModel::statusText(ItemStatus status) {
    switch (status) {
    case ItemStatus::wait:
        return localized("Waiting...");
    case ItemStatus::downloading:
        return localized("Downloading...");
    case ItemStatus::pause:
        return localized("Pause...");
    case ItemStatus::error:
        return localized("Network Error");
    case ItemStatus::finish:
        break;
    }
    return QString();
}

int DownloadViewModel::progressValue(qint64 downloadedSize, qint64 size) {
    if (size <= 0)
        return 0;
    const double value = double(downloadedSize) / double(size) * 100.0;
    if (!std::isfinite(value))
        return 0;
    return int(std::clamp(value, 0.0, 100.0));
}

int DownloadViewModel::numberOfItemsInSection(CollectionView*, int) {
    return int(m_dependencies.downloads->progressArray().size());
}

CollectionViewCell* DownloadViewModel::cellForItemAt(CollectionView*, const IndexPath& indexPath) {
    // A new row every time: its closures belong to the item it shows now.
    auto* cell = new DownloadItemCell();
    const auto& items = m_dependencies.downloads->progressArray();
    if (indexPath.item < 0 || indexPath.item >= items.size())
        return cell;
    const std::shared_ptr<DownloadItem> item = items.at(indexPath.item);
    const VideoDetail video = item->videoInfo();

    if (const std::optional<QUrl> url = LooseUrl::fromString(video.imgurl); url && cell->imageView()) {
        cell->imageView()->setImage(AppImage::named(QStringLiteral("default_thumbnail")));
        QPointer<DownloadItemCell> weakCell(cell);
        // Queued downloads are the server's videos: their thumbnails are web pictures only.
        imageLoader().loadImage(
            *url,
            [weakCell](const QImage& image) {
                if (weakCell && weakCell->imageView() && !image.isNull())
                    weakCell->imageView()->setImage(image);
            },
            ImageLoader::Sources::web);
    }
    if (cell->title())
        cell->title()->setText(ReplyLimits::cut(video.title)); // stored rows may predate the cut

    QPointer<DownloadItemCell> weakCell(cell);
    std::weak_ptr<DownloadItem> weakItem(item);
    const DownloadItem::ProgressHandler progress = [weakCell, weakItem](const DownloadProgress& report) {
        if (const auto held = weakItem.lock())
            held->setDownloadedSize(report.completedUnitCount);
        if (!weakCell)
            return;
        if (weakCell->progressIndicator())
            weakCell->progressIndicator()->setValue(
                int(std::clamp(report.fractionCompleted() * 100.0, 0.0, 100.0)));
        if (weakCell->percent())
            weakCell->percent()->setText(sizesText(report.completedUnitCount, report.totalUnitCount));
        setStatusText(weakCell->status(), localized("Downloading..."));
    };
    item->setDownloadProgressHandler(progress);
    if (DownloadRequest* request = item->request())
        request->setProgressHandler(progress);

    switch (item->status()) {
    case ItemStatus::wait:
    case ItemStatus::downloading:
        setButtonImages(cell->downloadImageView(), "download_pause_normal", "download_pause_hover");
        setStatusText(cell->status(), statusText(item->status()));
        break;
    case ItemStatus::pause:
        setButtonImages(cell->downloadImageView(), "download_download_normal", "download_download_hover");
        setStatusText(cell->status(), statusText(item->status()));
        break;
    case ItemStatus::error:
        setButtonImages(cell->downloadImageView(), "download_download_normal", "download_download_hover");
        setStatusText(cell->status(), statusText(item->status()), true);
        break;
    case ItemStatus::finish:
        break;
    }

    if (cell->progressIndicator())
        cell->progressIndicator()->setValue(progressValue(item->downloadedSize(), video.size));
    if (cell->percent())
        cell->percent()->setText(sizesText(item->downloadedSize(), video.size));

    QPointer<DownloadViewModel> guard(this);
    if (ClickableImageView* button = cell->downloadImageView()) {
        button->setClickAction([guard, weakItem, weakCell] {
            const auto held = weakItem.lock();
            if (guard && held)
                guard->toggle(held, weakCell);
        });
    }
    if (ClickableImageView* button = cell->deleteImageView()) {
        setButtonImages(button, "download_delete_normal", "download_delete_hover");
        button->setClickAction([guard, weakItem] {
            const auto held = weakItem.lock();
            if (guard && held)
                guard->remove(held);
        });
    }
    return cell;
}

void DownloadViewModel::toggle(const std::shared_ptr<DownloadItem>& item, DownloadItemCell* cell) {
    const ItemStatus status = item->status();
    if (status == ItemStatus::pause || status == ItemStatus::error) {
        // The item this row shows, wherever the queue has moved it since the row was made.
        const qsizetype index = m_dependencies.downloads->progressArray().indexOf(item);
        if (index >= 0)
            m_dependencies.downloads->restart(index);
        if (cell) {
            setButtonImages(cell->downloadImageView(), "download_pause_normal", "download_pause_hover");
            setStatusText(cell->status(), localized("Downloading..."));
            if (item->status() == ItemStatus::wait)
                setStatusText(cell->status(), localized("Waiting..."));
        }
    } else {
        item->pause();
        if (cell) {
            setStatusText(cell->status(), localized("Pause..."));
            setButtonImages(cell->downloadImageView(), "download_download_normal", "download_download_hover");
        }
    }
    reloadLater();
}

void DownloadViewModel::remove(const std::shared_ptr<DownloadItem>& item) {
    item->pause();
    m_dependencies.downloads->remove(item.get());
    reloadLater();
}

void DownloadViewModel::reloadLater() {
    // The click comes from a button inside a row that the reload replaces: the rows are rebuilt
    // once that click has been handled.
    queueOnMain([this] {
        if (collectionView())
            collectionView()->reloadData();
    });
}
