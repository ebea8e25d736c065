#include "NowPlayingView.h"

#include "AppImage.h"
#include "AttributedTitle.h"
#include "LocalVideoDBManager.h"
#include "Preferences.h"
#include "ReplyLimits.h"
#include "ResourcePath.h"
#include "TitleStyle.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSvgWidget>

NowPlayingView::NowPlayingView(Preferences& preferences, LocalVideoDBManager& database,
                               IconLocator locateIcon, QWidget* parent)
    : QWidget(parent), m_preferences(preferences), m_database(database),
      m_locateIcon(locateIcon ? std::move(locateIcon) : IconLocator(&NowPlayingView::defaultIconPath)) {
    // One width whatever the title: the play controls beside the view never move.
    setFixedWidth(viewWidth);
    m_statusIcon = new QSvgWidget(this);
    m_statusIcon->setFixedSize(16, 16);
    m_statusIcon->setAttribute(Qt::WA_TranslucentBackground);
    m_statusLabel = new QLabel(this);
    m_playingFileNameLabel = new QPushButton(this);
    m_playingFileNameLabel->setFlat(true);
    m_playingFileNameLabel->setCursor(Qt::PointingHandCursor);
    TitleStyle::applyPlain(m_playingFileNameLabel, QString());

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    layout->addWidget(m_statusIcon);
    layout->addWidget(m_statusLabel);
    layout->addWidget(m_playingFileNameLabel);
    layout->addStretch(1);

    connect(m_playingFileNameLabel, &QPushButton::clicked, this, &NowPlayingView::clickVideoTitle);
    m_observeDispose = observe(&m_preferences, &Preferences::playingVideoSignChanged, this,
                               [this](const std::optional<QString>& sign) { playingVideoSignChanged(sign); });
}

QString NowPlayingView::defaultIconPath(const QString& name) {
    const QString compiledIn = AppImage::resourcePath(name);
    if (!compiledIn.isEmpty())
        return compiledIn;
    return ResourcePath::path(name).value_or(QString());
}

QString NowPlayingView::playingImage() {
    if (!m_playingImage)
        m_playingImage = m_locateIcon(QStringLiteral("playing.svg"));
    return *m_playingImage;
}

QString NowPlayingView::noPlayingImage() {
    if (!m_noPlayingImage)
        m_noPlayingImage = m_locateIcon(QStringLiteral("no_playing.svg"));
    return *m_noPlayingImage;
}

void NowPlayingView::loadIcon(const QString& path) {
    m_loadedIcon = path;
    // A missing file shows no icon at all (an empty document draws nothing).
    if (path.isEmpty())
        m_statusIcon->load(QByteArray());
    else
        m_statusIcon->load(path);
}

void NowPlayingView::setIsOpenPlay(bool open) {
    m_isOpenPlay = open;
    refreshStatus();
}

void NowPlayingView::showTitleOf(const QString& sign) {
    // The row may hold a server's title of any length, stored before replies were cut.
    if (const auto record = m_database.selectBySign(sign))
        showTitle(ReplyLimits::cut(record->title));
}

void NowPlayingView::showTitle(const QString& title) {
    // The title gets what the icon and the status text leave; a longer one ends in an ellipsis and
    // shows whole in its tooltip.
    const int room = viewWidth - m_statusIcon->width() - m_statusLabel->sizeHint().width() - 3 * spacing;
    const AttributedTitle full = AttributedTitle::linkStyleTitle(title);
    const QString shown =
        QFontMetrics(full.font()).elidedText(title, full.lineBreakMode(), qMax(0, room - 2));
    m_playingFileNameLabel->setMaximumWidth(qMax(0, room));
    TitleStyle::apply(m_playingFileNameLabel, AttributedTitle::linkStyleTitle(shown));
    m_playingFileNameLabel->setToolTip(title);
}

void NowPlayingView::refreshStatus() {
    if (m_isOpenPlay) {
        loadIcon(playingImage());
        m_statusLabel->setText(QCoreApplication::translate("Localizable", "Playing", "Now playing"));
        // A sign that is not in the library leaves the title as it was.
        if (const auto sign = m_preferences.playingVideoSign())
            showTitleOf(*sign);
    } else {
        loadIcon(noPlayingImage());
        m_statusLabel->setText(
            QCoreApplication::translate("Localizable", "No Video Played", "No Video Played"));
        TitleStyle::applyPlain(m_playingFileNameLabel, QString());
    }
}

void NowPlayingView::playingVideoSignChanged(const std::optional<QString>& sign) {
    if (!sign || !m_preferences.isOpenPlayer())
        return;
    showTitleOf(*sign);
}

void NowPlayingView::clickVideoTitle() {
    // With the player off the title is empty, and so inert.
    if (m_playingFileNameLabel->text().isEmpty() || !clickVideoTitleClosure)
        return;
    clickVideoTitleClosure(m_preferences.playingVideoSign());
}
