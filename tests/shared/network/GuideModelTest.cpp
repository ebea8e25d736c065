#include "GuideModel.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

QString pngBase64(QColor color = Qt::red, QSize size = QSize(4, 3)) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return QString::fromLatin1(bytes.toBase64());
}

GuideResponse guide(std::vector<QString> leftPanel, std::vector<QString> leftPanelUrl,
                    std::vector<QString> newFeature = {}, std::vector<QString> newFeatureUrl = {}) {
    GuideResponse response;
    response.data.leftPanel = std::move(leftPanel);
    response.data.leftPanelUrl = std::move(leftPanelUrl);
    response.data.newFeature = std::move(newFeature);
    response.data.newFeatureUrl = std::move(newFeatureUrl);
    return response;
}

const QString siteLink = "https://www.zerafin.example/a";

} // namespace

TEST(GuideModel, PairsPicturesWithLinksUpToTheShorterList) {
    const QString png = pngBase64();
    GuideModel model(
        guide({png, png, png}, {siteLink, siteLink + "2"}, {"data:image/png;base64," + png}, {siteLink}));
    EXPECT_TRUE(model.leftPanel().isEmpty()); // nothing until loaded
    model.loadImages();
    ASSERT_EQ(model.leftPanel().size(), 2);
    EXPECT_EQ(model.leftPanel()[0].first.size(), QSize(4, 3));
    EXPECT_EQ(model.leftPanel()[1].second, QUrl(siteLink + "2"));
    ASSERT_EQ(model.newFeature().size(), 1);
    model.loadImages(); // rebuilt, not appended
    EXPECT_EQ(model.leftPanel().size(), 2);
}

TEST(GuideModel, SkipsEveryUnusablePosition) {
    const QString png = pngBase64();
    QString spaced = png;
    spaced.insert(8, ' ');
    QString broken = png;
    broken.insert(8, '\n');
    GuideModel model(guide(
        {png + ",",                      // trailing comma: the data is still the last piece
         "data:image/png;base64,",       // the header is the last non-empty piece
         spaced, broken, png.chopped(2), // spaces, line breaks, missing padding
         QString::fromLatin1(QByteArray("not an image").toBase64()), // not an image
         ",,", "", png, // no piece at all; then a good picture...
         png},          // ...with an empty siteLink
        {siteLink, siteLink, siteLink, siteLink, siteLink, siteLink, siteLink, siteLink, siteLink, ""}));
    model.loadImages();
    ASSERT_EQ(model.leftPanel().size(), 2);
    EXPECT_EQ(model.leftPanel()[0].second, QUrl(siteLink));
    EXPECT_EQ(model.leftPanel()[1].second, QUrl(siteLink));
    EXPECT_TRUE(GuideModel::picture(png.chopped(2)).isNull());
    EXPECT_FALSE(GuideModel::link("http://exa mple.org"));
}

TEST(GuideModel, PicturesAreBoundedInCountAndSize) {
    std::vector<QString> many(GuideModel::maximumPicturesPerList + 5, pngBase64());
    std::vector<QString> links(many.size(), siteLink);
    GuideModel model(guide(many, links));
    model.loadImages();
    EXPECT_EQ(model.leftPanel().size(), GuideModel::maximumPicturesPerList);

    // A small file that needs more memory than the limit once decoded (600 x 600 x 4 bytes > 1 MB).
    const QString large = pngBase64(Qt::white, QSize(600, 600));
    EXPECT_FALSE(GuideModel::picture(large).isNull());
    EXPECT_TRUE(GuideModel::picture(large, 1).isNull());
}

TEST(GuideModel, ReplyNeedsAllEightLists) {
    QJsonObject data;
    for (const char* key : {"leftPanel", "leftPanelUrl", "window", "windowUrl", "browser", "browserUrl",
                            "newFeature", "newFeatureUrl"})
        data[key] = QJsonArray{};
    const auto text = [](const QJsonObject& data) {
        return QJsonDocument(QJsonObject{{"status", 1}, {"info", ""}, {"data", data}}).toJson();
    };
    const auto empty = GuideResponse::fromJson(text(data));
    ASSERT_TRUE(empty);
    GuideModel model(*empty);
    model.loadImages();
    EXPECT_TRUE(model.leftPanel().isEmpty());
    EXPECT_TRUE(model.newFeature().isEmpty());

    QJsonObject missing = data;
    missing.remove("browser");
    EXPECT_FALSE(GuideResponse::fromJson(text(missing)));
    QJsonObject numbered = data;
    numbered["windowUrl"] = QJsonArray{1};
    EXPECT_FALSE(GuideResponse::fromJson(text(numbered)));
}

TEST(GuideModel, AllPicturesOfOneReplyStayWithinOneBudget) {
    // Each picture alone is allowed (27 MB decoded); four of them pass the reply's budget, so the
    // last is skipped, whichever list it is in.
    const QString large = pngBase64(Qt::darkGreen, QSize(2600, 2600));
    GuideModel model(guide({large, large}, {siteLink, siteLink}, {large, large}, {siteLink, siteLink}));
    model.loadImages();
    qint64 total = 0;
    for (const auto& list : {model.leftPanel(), model.newFeature()})
        for (const auto& [image, url] : list)
            total += image.sizeInBytes();
    EXPECT_EQ(model.leftPanel().size(), 2);
    EXPECT_EQ(model.newFeature().size(), 1);
    EXPECT_LE(total, qint64(GuideModel::totalAllocationLimitMB) * 1024 * 1024);
}
