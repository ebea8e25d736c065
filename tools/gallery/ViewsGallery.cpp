// Gallery pages of the cells, small views and buttons of views/.
#include "Gallery.h"

#include "AppImage.h"
#include "AttributedTitle.h"
#include "BorderViewController.h"
#include "ButtonWithPointCursor.h"
#include "ClickableImageView.h"
#include "ContentView.h"
#include "DownloadItemCell.h"
#include "FooterView.h"
#include "ImageAspectFillView.h"
#include "MainWindowSplitView.h"
#include "ProgressWindow.h"
#include "ProgressWindowController.h"
#include "SwitchButton.h"
#include "TabTitleView.h"
#include "VideoItemCell.h"
#include "VideoItemImageView.h"
#include "WebLibraryRefreshSubView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QProgressBar>

namespace {
// A stand-in thumbnail: a sunset-coloured 16:9 picture with a hill, as a list model would deliver.
QImage sampleThumbnail() {
    QImage image(640, 360, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 360);
    sky.setColorAt(0, QColor(0x2b, 0x3a, 0x8c));
    sky.setColorAt(1, QColor(0xf0, 0x90, 0x50));
    p.fillRect(image.rect(), sky);
    p.setBrush(QColor(0xff, 0xd8, 0x8a));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(420, 230), 60, 60);
    p.setBrush(QColor(0x1d, 0x24, 0x3a));
    p.drawEllipse(QPointF(200, 420), 420, 160);
    return image;
}

QImage art(const char* name) {
    return AppImage::named(QString::fromLatin1(name));
}

void styleStatus(QLabel* label, const AttributedTitle& title) {
    label->setText(title.text());
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, title.foregroundColor());
    label->setPalette(palette);
}
} // namespace

GALLERY_PAGE("Artwork") {
    for (const QString& name : AppImage::imageNames()) {
        const QImage picture = AppImage::named(name);
        // Light pictures on a mid grey, so white parts stay visible.
        QImage framed(picture.size(), QImage::Format_ARGB32_Premultiplied);
        framed.setDevicePixelRatio(picture.devicePixelRatio());
        framed.fill(QColor(0xb8, 0xbc, 0xc4));
        QPainter(&framed).drawImage(QPointF(0, 0), picture);
        shots.image(name, framed);
    }
    for (const QString& name : AppImage::colorNames()) {
        QImage swatch(120, 40, QImage::Format_RGB32);
        swatch.fill(*AppImage::namedColor(name));
        shots.image(name, swatch);
    }
}

GALLERY_PAGE("VideoItemCell") {
    auto make = [](const QString& title) {
        auto* cell = new VideoItemCell;
        cell->resize(170, 110);
        cell->imageView()->setImage(sampleThumbnail());
        cell->title()->setText(title);
        return cell;
    };
    std::unique_ptr<VideoItemCell> cell(make("Sunset over the hills"));
    shots.shot("normal", cell.get());
    cell->setSelected(true, false);
    shots.shot("selected", cell.get());
    cell.reset(make("A very long title that does not fit in the cell at all"));
    shots.shot("long title", cell.get());
    cell->coverImageView()->setImage(art("online_video_list_downloading_corvex.png"));
    shots.shot("downloading badge", cell.get());
    cell->coverImageView()->setImage(art("online_video_list_downloaded_corvex.png"));
    cell->setSelected(true, false);
    shots.shot("downloaded badge selected", cell.get());
    cell.reset(make("Waiting for its thumbnail"));
    cell->imageView()->setImage(art("default_thumbnail"));
    shots.shot("placeholder", cell.get());
}

GALLERY_PAGE("DownloadItemCell") {
    struct Row {
        const char* state;
        const char* button;
        AttributedTitle status;
        int progress;
        const char* sizes;
    };
    const Row rows[] = {
        {"waiting", "download_pause_normal", AttributedTitle::attributedTitle("Waiting...", Qt::gray), 0,
         "0 Byte/48.20 MB"},
        {"downloading", "download_pause_normal", AttributedTitle::attributedTitle("Downloading...", Qt::gray),
         42, "20.24 MB/48.20 MB"},
        {"paused", "download_download_normal", AttributedTitle::attributedTitle("Pause...", Qt::gray), 65,
         "31.33 MB/48.20 MB"},
        {"error", "download_download_normal", AttributedTitle::redLinkStyleTitle("Network Error"), 12,
         "5.78 MB/48.20 MB"},
        {"finished", "download_pause_normal", AttributedTitle::attributedTitle("", Qt::gray), 100,
         "48.20 MB/48.20 MB"},
    };
    for (const Row& row : rows) {
        DownloadItemCell cell;
        cell.resize(620, 64);
        cell.imageView()->setImage(sampleThumbnail());
        cell.title()->setText("Sunset over the hills");
        styleStatus(cell.status(), row.status);
        cell.progressIndicator()->setValue(row.progress);
        cell.percent()->setText(row.sizes);
        cell.downloadImageView()->setImage(art(row.button));
        cell.deleteImageView()->setImage(art("download_delete_normal"));
        shots.shot(row.state, &cell);
    }
    DownloadItemCell hovered;
    hovered.resize(620, 64);
    hovered.imageView()->setImage(art("default_thumbnail"));
    hovered.title()->setText("Pointer over both buttons");
    styleStatus(hovered.status(), AttributedTitle::attributedTitle("Downloading...", Qt::gray));
    hovered.progressIndicator()->setValue(80);
    hovered.percent()->setText("38.56 MB/48.20 MB");
    hovered.downloadImageView()->setImage(art("download_pause_hover"));
    hovered.deleteImageView()->setImage(art("download_delete_hover"));
    shots.shot("buttons hovered", &hovered);
}

GALLERY_PAGE("FooterView") {
    FooterView footer;
    footer.resize(600, 30);
    footer.titleLabel()->setText("Loading more...");
    shots.shot("text", &footer);
    footer.titleLabel()->setText(QString());
    shots.shot("empty", &footer);
}

GALLERY_PAGE("WebLibraryRefreshSubView") {
    // Over the state picture, as the online list shows it.
    auto over = [](const char* picture) {
        auto* page = new QWidget;
        page->resize(600, 330);
        auto* backdrop = new ImageView(page);
        backdrop->setGeometry(0, 10, 600, 220);
        backdrop->setImage(art(picture));
        auto* view = new WebLibraryRefreshSubView(page);
        view->setGeometry(0, 230, 600, 90);
        return std::pair<std::unique_ptr<QWidget>, WebLibraryRefreshSubView*>(page, view);
    };
    auto [loading, loadingView] = over("network_connecting");
    loadingView->setTitle("Loading...");
    shots.shot("loading", loading.get());
    auto [error, errorView] = over("network_error");
    errorView->setTitle("Fail to connect network");
    errorView->setShowRefreshButton(true);
    shots.shot("error", error.get());
    auto [empty, emptyView] = over("empty_video_list");
    emptyView->setTitle("List is empty");
    emptyView->setShowRefreshButton(true);
    shots.shot("empty", empty.get());
}

GALLERY_PAGE("TabTitleView") {
    for (bool highlight : {false, true}) {
        TabTitleView tab;
        tab.resize(100, 34);
        auto* label = new QLabel("Online", &tab);
        label->setAlignment(Qt::AlignCenter);
        label->setGeometry(0, 0, 100, 30);
        tab.setHighlight(highlight);
        shots.shot(highlight ? "highlighted" : "plain", &tab);
    }
}

GALLERY_PAGE("MainWindowSplitView") {
    MainWindowSplitView split;
    auto* bar = new QWidget;
    bar->setAutoFillBackground(true);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window, *AppImage::namedColor("LeftSideBarColor"));
    bar->setPalette(palette);
    split.addWidget(bar);
    split.addWidget(new ContentView);
    split.setSizes({160, 440});
    split.resize(600, 200);
    shots.shot("side bar and page", &split);
}

GALLERY_PAGE("ContentView") {
    ContentView view;
    view.resize(200, 80);
    shots.shot("light", &view);
    QPalette dark = view.palette();
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    view.setPalette(dark);
    shots.shot("dark palette", &view);
}

GALLERY_PAGE("BorderViewController") {
    BorderViewController controller;
    controller.view()->resize(200, 80);
    shots.shot("view", controller.view());
}

GALLERY_PAGE("SwitchButton") {
    // On the side bar's colour, where it sits.
    QWidget bar;
    bar.setAutoFillBackground(true);
    QPalette palette = bar.palette();
    palette.setColor(QPalette::Window, *AppImage::namedColor("LeftSideBarColor"));
    bar.setPalette(palette);
    bar.resize(60, 30);
    SwitchButton button(
        QRect(12, 6, 36, 18), [](bool) {}, &bar);
    shots.shot("off", &bar);
    button.setIsOpen(true);
    shots.shot("on", &bar);
    QWidget light;
    light.resize(60, 30);
    SwitchButton onLight(
        QRect(12, 6, 36, 18), [](bool) {}, &light);
    shots.shot("off on light", &light);
    onLight.setIsOpen(true);
    shots.shot("on on light", &light);
}

GALLERY_PAGE("ClickableImageView") {
    // Off the window's corner, so the pointer (at the origin offscreen) is not over it.
    QWidget holder;
    holder.resize(64, 64);
    ClickableImageView view(QRect(16, 16, 32, 32), &holder);
    view.setNormalImage(art("download_download_normal"));
    view.setHoverImage(art("download_download_hover"));
    view.setImage(view.normalImage());
    shots.shot("normal", &holder);
    view.setImage(view.hoverImage());
    shots.shot("hover", &holder);
}

GALLERY_PAGE("ImageViews") {
    ImageView fit;
    fit.resize(160, 160);
    fit.setImage(sampleThumbnail());
    shots.shot("ImageView fits", &fit);
    ImageAspectFillView fill;
    fill.resize(160, 160);
    fill.setImage(sampleThumbnail());
    shots.shot("ImageAspectFillView fills", &fill);
}

GALLERY_PAGE("ProgressWindow") {
    ProgressWindowController controller;
    controller.window()->progressIndicator()->setRange(0, 0);
    shots.shot("busy", controller.window());
}
