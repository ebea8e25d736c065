#include "LeftMenuCell.h"

#include "ElidedLabel.h"
#include "ImageView.h"
#include "LeftMenuBar.h"
#include "Preferences.h"
#include "SwitchButton.h"
#include "SystemFont.h"
#include "ThemeColors.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

LeftMenuCell::LeftMenuCell(const QRect& frame, std::function<void()> clickClosure, Preferences& preferences,
                           QWidget* parent)
    : QWidget(parent), m_selectedClosure(std::move(clickClosure)),
      m_titleSelectedColor(ThemeColors::themeBlue()) {
    setGeometry(frame);
    m_imageView = new ImageView(this);
    m_imageView->setGeometry(20, 9, 18, 18);

    // A title wider than its frame ends in an ellipsis.
    m_titleLabel = new ElidedLabel(this);
    m_titleLabel->setGeometry(43, 8, 110, 22);
    m_titleLabel->setFont(SystemFont::sized(m_titleLabel->font(), 16));
    m_titleLabel->setTextInteractionFlags(Qt::NoTextInteraction);
    m_titleLabel->setAutoFillBackground(true);
    // Clicks on the title belong to the entry.
    m_titleLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    setTitleStyle(Qt::white, LeftMenuBar::barColor());

    m_rightButton = new SwitchButton(
        QRect(120, 8, 36, 18),
        [&preferences](bool) {
            // The setting decides, not the switch's own idea of its state.
            preferences.setIsOpenPlayer(!preferences.isOpenPlayer());
        },
        this);
    m_rightButton->setIsOpen(preferences.isOpenPlayer());
    m_rightButton->hide();
    m_rightButton->installEventFilter(this);
    m_observeDispose =
        bind(&preferences, &Preferences::isOpenPlayerChanged, m_rightButton, &SwitchButton::setIsOpen);
}

bool LeftMenuCell::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_rightButton && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        // The switch lies over the title's right end: while it shows, the title ends before it.
        constexpr int gap = 4;
        const int covered = m_titleLabel->geometry().right() + 1 - m_rightButton->geometry().left() + gap;
        const bool shown = event->type() == QEvent::Show;
        m_titleLabel->setContentsMargins(0, 0, shown ? qMax(0, covered) : 0, 0);
    }
    return QWidget::eventFilter(watched, event);
}

QColor LeftMenuCell::labelSelectedColor() const {
    return QApplication::palette().color(QPalette::Base);
}

void LeftMenuCell::setTitleStyle(const QColor& text, const QColor& background) {
    m_titleColor = text;
    m_titleBackground = background;
    QPalette palette = m_titleLabel->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Window, background);
    m_titleLabel->setPalette(palette);
}

QColor LeftMenuCell::titleColor() const {
    return m_titleColor;
}

QColor LeftMenuCell::titleBackgroundColor() const {
    return m_titleBackground;
}

void LeftMenuCell::restyle() {
    setTitleStyle(m_isSelected ? m_titleSelectedColor : m_titleNormalColor,
                  m_isSelected ? labelSelectedColor() : m_labelNormalColor);
    m_imageView->setImage(m_isSelected ? m_selectedImage : m_normalImage);
}

void LeftMenuCell::setIsSelected(bool selected) {
    m_isSelected = selected;
    restyle();
    update();
    emit isSelectedChanged(selected);
}

void LeftMenuCell::clickCellAction() {
    setIsSelected(!m_isSelected);
    if (m_selectedClosure)
        m_selectedClosure();
}

void LeftMenuCell::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), m_isSelected ? labelSelectedColor() : m_labelNormalColor);
}

void LeftMenuCell::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void LeftMenuCell::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        clickCellAction();
}
