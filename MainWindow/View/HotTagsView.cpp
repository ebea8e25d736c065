#include "HotTagsView.h"

#include "ButtonWithColorfulLink.h"
#include "ThemeColors.h"

#include <QKeySequence>
#include <QPushButton>
#include <QResizeEvent>

HotTagsView::HotTagsView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

QSize HotTagsView::sizeHint() const {
    return QSize(0, 0);
}

QSize HotTagsView::minimumSizeHint() const {
    return QSize(0, 0);
}

void HotTagsView::appendTags(const std::vector<QString>& tags) {
    m_tags.insert(m_tags.end(), tags.begin(), tags.end());
    relayout();
}

QList<QPushButton*> HotTagsView::buttons() const {
    QList<QPushButton*> shown;
    shown.reserve(qsizetype(m_buttons.size()));
    for (auto it = m_buttons.rbegin(); it != m_buttons.rend(); ++it)
        shown.append(*it);
    return shown;
}

ButtonWithColorfulLink* HotTagsView::makeButton(const QString& tag) {
    auto* button = new ButtonWithColorfulLink(QRect(), this);
    button->setText(tag);
    // The button draws its title as written; a '&' in a tag is no keyboard mnemonic either.
    button->setShortcut(QKeySequence());
    button->setTitleColor(ButtonWithColorfulLink::labelColor());
    button->setTitleHoverColor(ThemeColors::systemBlue());
    button->setFontSize(12.0);
    button->updateTitle(button->titleColor());
    connect(button, &QPushButton::clicked, this, [this, button] { emit tagClicked(button->text()); });
    return button;
}

void HotTagsView::relayout() {
    int right = width();
    size_t shown = 0;
    while (shown < m_tags.size() && right > 0) {
        if (shown == m_buttons.size())
            m_buttons.push_back(makeButton(m_tags[shown]));
        ButtonWithColorfulLink* button = m_buttons[shown];
        const QSize size = button->sizeHint();
        if (size.width() > right)
            break;
        button->setGeometry(right - size.width(), (height() - size.height()) / 2, size.width(),
                            size.height());
        button->show();
        right -= size.width();
        ++shown;
    }
    // A button for a tag that no longer fits goes: a click may be running in it, so not at once.
    while (m_buttons.size() > shown) {
        ButtonWithColorfulLink* button = m_buttons.back();
        m_buttons.pop_back();
        button->hide();
        button->deleteLater();
    }
}

void HotTagsView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}
