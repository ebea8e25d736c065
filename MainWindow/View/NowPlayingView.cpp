#include "NowPlayingView.h"

#include "AppImage.h"
#include "AttributedTitle.h"
#include "LocalVideoDBManager.h"
#include "PlainText.h"
#include "Preferences.h"
#include "ReplyLimits.h"
#include "ResourcePath.h"
#include "TitleStyle.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSvgRenderer>
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
    // The renderer's own timer would repaint an animated icon 30 times a second for as long as
    // the program runs, shown or not; this view paces the icon itself (updateAnimation).
    m_statusIcon->renderer()->setFramesPerSecond(0);
    m_animationTimer.setInterval(1000 / kAnimationFramesPerSecond);
    connect(&m_animationTimer, &QTimer::timeout, m_statusIcon, qOverload<>(&QWidget::update));
    m_statusLabel = new QLabel(this);
    PlainText::keep(m_statusLabel);
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
    m_playingDispose =
        observe(&m_preferences, &Preferences::isPlayingChanged, this, [this](bool) { updateAnimation(); });
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
    updateAnimation();
}

void NowPlayingView::updateAnimation() {
    const QWidget* top = window();
    const bool onScreen = m_shown && isVisible() && !(top && top->isMinimized());
    const bool animate =
        onScreen && m_isOpenPlay && m_preferences.isPlaying() && m_statusIcon->renderer()->animated();
    if (animate == m_animationTimer.isActive())
        return;
    if (animate)
        m_animationTimer.start();
    else
        m_animationTimer.stop();
}

bool NowPlayingView::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Show:
        m_shown = true;
        // Minimising the window hides none of its widgets: its state changes are watched too.
        if (m_watchedWindow != window()) {
            if (m_watchedWindow)
                m_watchedWindow->removeEventFilter(this);
            m_watchedWindow = window();
            m_watchedWindow->installEventFilter(this);
        }
        updateAnimation();
        break;
    case QEvent::Hide:
        // Also when the window system unmapped the window (the widget still counts as visible).
        m_shown = false;
        updateAnimation();
        break;
    default:
        break;
    }
    return handled;
}

bool NowPlayingView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_watchedWindow && event->type() == QEvent::WindowStateChange)
        updateAnimation();
    return QWidget::eventFilter(watched, event);
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
    m_playingFileNameLabel->setToolTip(PlainText::toolTip(title));
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
