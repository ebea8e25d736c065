#pragma once

#include "CollectionViewCell.h"

class ClickableImageView;
class ImageAspectFillView;
class QLabel;
class QProgressBar;

// One row of the downloads list: thumbnail, title, state text, a progress bar from 0 to 100 with no
// text, the transferred and total sizes ("done/total"), and two image buttons (pause/resume and
// delete). The download list sets every text, image and click action; the cell has no behaviour.
class DownloadItemCell : public CollectionViewCell {
    Q_OBJECT

public:
    static inline const QString reuseIdentifier = QStringLiteral("DownloadItemCell");
    static constexpr qreal rowHeight = 63.5;

    explicit DownloadItemCell(QWidget* parent = nullptr);

    ImageAspectFillView* imageView() const { return m_imageView; }
    QLabel* title() const { return m_title; }
    QLabel* status() const { return m_status; }
    QProgressBar* progressIndicator() const { return m_progressIndicator; }
    QLabel* percent() const { return m_percent; }
    ClickableImageView* downloadImageView() const { return m_downloadImageView; }
    ClickableImageView* deleteImageView() const { return m_deleteImageView; }

    QSize sizeHint() const override;

private:
    ImageAspectFillView* m_imageView = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_status = nullptr;
    QProgressBar* m_progressIndicator = nullptr;
    QLabel* m_percent = nullptr;
    ClickableImageView* m_downloadImageView = nullptr;
    ClickableImageView* m_deleteImageView = nullptr;
};
