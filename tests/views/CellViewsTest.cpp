#include "ButtonWithLinkTitle.h"
#include "ClickableImageView.h"
#include "CollectionReusableView.h"
#include "DownloadItemCell.h"
#include "FooterView.h"
#include "ImageAspectFillView.h"
#include "VideoItemCell.h"
#include "VideoItemImageView.h"
#include "WebLibraryRefreshSubView.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QTest>

namespace {
QImage render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// A wide picture: left half red, right half blue.
QImage halves(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::red);
    for (int y = 0; y < height; ++y)
        for (int x = width / 2; x < width; ++x)
            image.setPixelColor(x, y, Qt::blue);
    return image;
}
} // namespace

TEST(CollectionReusableView, PaintsItsBackgroundColourClearByDefault) {
    CollectionReusableView view;
    view.resize(20, 10);
    EXPECT_EQ(view.backgroundColor().alpha(), 0);
    EXPECT_EQ(render(view).pixelColor(10, 5).alpha(), 0);
    view.setBackgroundColor(QColor(10, 200, 30));
    EXPECT_EQ(render(view).pixelColor(10, 5), QColor(10, 200, 30));
}

TEST(VideoItemCell, SelectionAlternatesBetweenTheSelectedColourAndClear) {
    VideoItemCell cell;
    cell.resize(160, 110);
    ASSERT_NE(cell.imageView(), nullptr);
    ASSERT_NE(cell.coverImageView(), nullptr);
    ASSERT_NE(cell.title(), nullptr);
    EXPECT_EQ(cell.defaultColor().alpha(), 0);
    // The title strip at the bottom shows the cell's own background.
    const QPoint probe(2, 106);
    EXPECT_EQ(render(cell).pixelColor(probe).alpha(), 0);

    for (int round = 0; round < 2; ++round) {
        cell.setSelected(true, false);
        EXPECT_TRUE(cell.isSelected());
        EXPECT_EQ(cell.backgroundColor(), VideoItemCell::selectedColor());
        EXPECT_EQ(render(cell).pixelColor(probe), VideoItemCell::selectedColor());
        cell.setSelected(false, true);
        EXPECT_FALSE(cell.isSelected());
        EXPECT_EQ(cell.backgroundColor().alpha(), 0);
        EXPECT_EQ(render(cell).pixelColor(probe).alpha(), 0);
    }
}

TEST(VideoItemCell, LongTitlesAreCutAtTheTailButKeptWhole) {
    VideoItemCell cell;
    cell.resize(160, 110);
    const QString text = QString("A very long title ").repeated(8);
    cell.title()->setText(text);
    EXPECT_EQ(cell.title()->text(), text);
    EXPECT_LE(cell.title()->width(), cell.width());
    EXPECT_LT(cell.title()->minimumSizeHint().width(), 10);
}

TEST(ImageViews, FitKeepsTheWholePictureAndAspectFillCoversTheView) {
    const QImage picture = halves(200, 100);
    ImageView fit;
    fit.resize(100, 100);
    fit.setImage(picture);
    const QImage fitted = render(fit);
    // Letterboxed: clear above and below, both halves visible.
    EXPECT_EQ(fitted.pixelColor(50, 5).alpha(), 0);
    EXPECT_EQ(fitted.pixelColor(10, 50), QColor(Qt::red));
    EXPECT_EQ(fitted.pixelColor(90, 50), QColor(Qt::blue));

    VideoItemImageView fill;
    fill.resize(100, 100);
    fill.setImage(picture);
    const QImage filled = render(fill);
    // Covered to the edges, the middle of the picture centred.
    EXPECT_EQ(filled.pixelColor(50, 2).alpha(), 255);
    EXPECT_EQ(filled.pixelColor(10, 98), QColor(Qt::red));
    EXPECT_EQ(filled.pixelColor(90, 98), QColor(Qt::blue));

    fill.setImage(QImage());
    EXPECT_EQ(render(fill).pixelColor(50, 50).alpha(), 0);
}

TEST(DownloadItemCell, HasEveryOutletAndABarFrom0To100WithoutText) {
    DownloadItemCell cell;
    ASSERT_NE(cell.imageView(), nullptr);
    ASSERT_NE(cell.title(), nullptr);
    ASSERT_NE(cell.status(), nullptr);
    ASSERT_NE(cell.progressIndicator(), nullptr);
    ASSERT_NE(cell.percent(), nullptr);
    ASSERT_NE(cell.downloadImageView(), nullptr);
    ASSERT_NE(cell.deleteImageView(), nullptr);
    EXPECT_NE(cell.downloadImageView(), cell.deleteImageView());
    EXPECT_EQ(cell.progressIndicator()->minimum(), 0);
    EXPECT_EQ(cell.progressIndicator()->maximum(), 100);
    EXPECT_FALSE(cell.progressIndicator()->isTextVisible());
    EXPECT_EQ(cell.sizeHint().height(), 63);

    // The two buttons are separate targets once laid out.
    cell.resize(600, 64);
    cell.show();
    int downloads = 0, deletes = 0;
    cell.downloadImageView()->setClickAction([&] { ++downloads; });
    cell.deleteImageView()->setClickAction([&] { ++deletes; });
    QTest::mouseClick(cell.deleteImageView(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(downloads, 0);
    EXPECT_EQ(deletes, 1);
    EXPECT_FALSE(cell.downloadImageView()->geometry().intersects(cell.deleteImageView()->geometry()));
}

TEST(FooterView, ACentredGreyInertLabelFillsTheFooterEvenWhenEmpty) {
    QWidget viewport;
    viewport.setBackgroundRole(QPalette::Base);
    FooterView footer;
    footer.setParent(&viewport);
    viewport.resize(600, 100);
    viewport.show();
    footer.resize(400, 30);
    footer.show();
    QLabel* label = footer.titleLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->parentWidget(), &footer);
    EXPECT_FALSE(label->isEnabled());
    EXPECT_EQ(label->textInteractionFlags(), Qt::NoTextInteraction);
    EXPECT_EQ(label->alignment(), Qt::AlignCenter);
    EXPECT_EQ(label->palette().color(QPalette::Disabled, label->foregroundRole()), QColor(Qt::gray));
    label->setText(QString());
    QApplication::processEvents();
    EXPECT_EQ(label->geometry(), footer.rect());
    label->setText("Page 1 / 3");
    footer.resize(500, 40);
    QApplication::processEvents();
    EXPECT_EQ(label->geometry(), footer.rect());
}

TEST(WebLibraryRefreshSubView, SubtitlesAndRefreshShowAndHideTogetherUnderAnAlwaysVisibleTitle) {
    WebLibraryRefreshSubView view;
    view.resize(400, 120);
    view.show();
    EXPECT_FALSE(view.showRefreshButton());
    EXPECT_TRUE(view.titleLabel()->isVisible());
    EXPECT_FALSE(view.leftSubTitle()->isVisible());
    EXPECT_FALSE(view.rightSubTitle()->isVisible());
    EXPECT_FALSE(view.refreshButton()->isVisible());

    view.setTitle("Loading...");
    EXPECT_EQ(view.title(), "Loading...");
    EXPECT_EQ(view.titleLabel()->text(), "Loading...");

    view.setShowRefreshButton(true);
    EXPECT_TRUE(view.titleLabel()->isVisible());
    EXPECT_TRUE(view.leftSubTitle()->isVisible());
    EXPECT_TRUE(view.rightSubTitle()->isVisible());
    EXPECT_TRUE(view.refreshButton()->isVisible());
    EXPECT_EQ(view.refreshButton()->cursor().shape(), Qt::PointingHandCursor);

    view.setShowRefreshButton(false);
    EXPECT_TRUE(view.titleLabel()->isVisible());
    EXPECT_FALSE(view.leftSubTitle()->isVisible());
    EXPECT_FALSE(view.refreshButton()->isVisible());
}

TEST(WebLibraryRefreshSubView, TheRefreshLinkRunsTheClosureWhenOneIsSet) {
    WebLibraryRefreshSubView view;
    view.resize(400, 120);
    view.setShowRefreshButton(true);
    view.show();
    // No closure yet: nothing happens.
    QTest::mouseClick(view.refreshButton(), Qt::LeftButton);
    int refreshes = 0;
    view.setRefreshClosure([&] { ++refreshes; });
    QTest::mouseClick(view.refreshButton(), Qt::LeftButton);
    EXPECT_EQ(refreshes, 1);
    view.clickRefreshButton();
    EXPECT_EQ(refreshes, 2);
}

TEST(DownloadItemCell, SecondaryTextsAreGreyWhereverTheCellIsPlaced) {
    // Like a scroll area's viewport, whose base background would turn children to the text role.
    QWidget holder;
    holder.setBackgroundRole(QPalette::Base);
    holder.resize(620, 64);
    auto* cell = new DownloadItemCell;
    cell->setParent(&holder);
    cell->setGeometry(0, 0, 620, 64);
    holder.show();
    cell->show();
    QApplication::processEvents();
    for (QLabel* label : {cell->status(), cell->percent()}) {
        EXPECT_EQ(label->foregroundRole(), QPalette::WindowText);
        EXPECT_EQ(label->palette().color(QPalette::Active, QPalette::WindowText), QColor(Qt::gray));
        EXPECT_EQ(label->palette().color(QPalette::Inactive, QPalette::WindowText), QColor(Qt::gray));
    }
}
