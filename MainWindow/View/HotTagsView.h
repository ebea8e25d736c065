#pragma once

#include <QList>
#include <QString>
#include <QWidget>
#include <vector>

class ButtonWithColorfulLink;
class QPushButton;

// The bottom bar's row of hot tags, read from right to left: the first tag touches the right edge
// and each further tag sits just left of the one before, every tag at its own natural width. A tag
// that does not fit whole is not shown, nor is any tag after it. Only the tags shown have buttons,
// so a list of any length costs no more than what fits in the row.
class HotTagsView : public QWidget {
    Q_OBJECT

public:
    explicit HotTagsView(QWidget* parent = nullptr);

    // Adds tags after those the row already has.
    void appendTags(const std::vector<QString>& tags);
    int tagCount() const { return int(m_tags.size()); }
    // The buttons shown, from left to right.
    QList<QPushButton*> buttons() const;

    // The row takes whatever room its neighbours leave; it needs none.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void tagClicked(const QString& tag);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();
    ButtonWithColorfulLink* makeButton(const QString& tag);

    std::vector<QString> m_tags;
    // m_buttons[i] shows m_tags[i]; there are never more buttons than tags shown.
    std::vector<ButtonWithColorfulLink*> m_buttons;
};
