#include "DownloadItemCell.h"

#include "ClickableImageView.h"
#include "ElidedLabel.h"
#include "ImageAspectFillView.h"
#include "PlainText.h"
#include "SystemFont.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {
void setTextColor(QLabel* label, const QColor& color) {
    // Fixed to the window-text role: inside a scroll area's viewport the role would otherwise follow
    // the viewport's base background and draw in the text colour instead.
    label->setForegroundRole(QPalette::WindowText);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}
} // namespace

DownloadItemCell::DownloadItemCell(QWidget* parent) : CollectionViewCell(parent) {
    m_imageView = new ImageAspectFillView(this);
    m_imageView->setFixedSize(80, 45);

    m_title = new ElidedLabel(this);
    m_title->setForegroundRole(QPalette::WindowText);
    m_title->setFont(SystemFont::sized(m_title->font(), 13));

    // The secondary texts are grey through their palette's text colour, which the list replaces
    // (red for an error).
    m_status = new ElidedLabel(this);
    setTextColor(m_status, QColor(Qt::gray));

    m_progressIndicator = new QProgressBar(this);
    m_progressIndicator->setRange(0, 100);
    m_progressIndicator->setValue(0);
    m_progressIndicator->setTextVisible(false);
    m_progressIndicator->setFixedHeight(6);

    m_percent = new QLabel(this);
    PlainText::keep(m_percent);
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setTextColor(m_percent, QColor(Qt::gray));

    m_downloadImageView = new ClickableImageView(this);
    m_downloadImageView->setFixedSize(24, 24);
    m_deleteImageView = new ClickableImageView(this);
    m_deleteImageView->setFixedSize(24, 24);

    auto* statusRow = new QHBoxLayout;
    statusRow->setSpacing(8);
    statusRow->addWidget(m_status, 1);
    statusRow->addWidget(m_percent);

    auto* middle = new QVBoxLayout;
    middle->setSpacing(3);
    middle->addWidget(m_title);
    middle->addWidget(m_progressIndicator);
    middle->addLayout(statusRow);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 6, 12, 6);
    row->setSpacing(12);
    row->addWidget(m_imageView);
    row->addLayout(middle, 1);
    row->addWidget(m_downloadImageView);
    row->addWidget(m_deleteImageView);
}

QSize DownloadItemCell::sizeHint() const {
    return QSize(560, int(rowHeight));
}
