#pragma once

#include "GuideResponse.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPair>
#include <QUrl>
#include <optional>

// The guide's pictures for the side panel (leftPanel) and the new-feature pages (newFeature),
// each paired with the link a click opens. Made from one decoded guide reply; loadImages fills
// the two lists from it.
class GuideModel : public QObject {
    Q_OBJECT
public:
    // Every picture is distinct, even when two have the same pixels; readers must not rely on
    // any order of the pairs.
    using Pictures = QList<QPair<QImage, QUrl>>;

    // Bounds on what one reply may make the program hold: pictures past this count in a list are
    // not decoded, and a picture needing more memory than the limit is skipped.
    static constexpr int maximumPicturesPerList = 32;
    static constexpr int pictureAllocationLimitMB = 64;
    // All decoded pictures of one reply together: a picture that would pass it is skipped.
    static constexpr int totalAllocationLimitMB = 96;

    explicit GuideModel(GuideResponse guideResponse, QObject* parent = nullptr);

    const Pictures& leftPanel() const { return m_leftPanel; }
    const Pictures& newFeature() const { return m_newFeature; }
    const GuideResponse& guideResponse() const { return m_guideResponse; }

    // Rebuilds both lists from the reply. A position whose picture text holds no piece, whose last
    // non-empty comma-separated piece is not strict Base64 (no spaces or line breaks), whose bytes
    // are not a readable image, or whose link is not a valid URL is skipped; positions past the
    // shorter of the two parallel lists are ignored.
    void loadImages();

    // Decodes one picture text as loadImages does; a null image when it cannot.
    static QImage picture(const QString& text, int allocationLimitMB = pictureAllocationLimitMB);
    static std::optional<QUrl> link(const QString& text);

    std::optional<GuideResponse> response; // kept for the reply it may one day hold; unused

private:
    // `budget`: the bytes of decoded pictures still allowed; lowered by every picture kept.
    static Pictures load(const std::vector<QString>& pictures, const std::vector<QString>& links,
                         qint64& budget);

    Pictures m_leftPanel;
    Pictures m_newFeature;
    GuideResponse m_guideResponse;
};
