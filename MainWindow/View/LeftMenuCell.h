#pragma once

#include "Disposable.h"

#include <QColor>
#include <QImage>
#include <QWidget>
#include <functional>
#include <optional>

class QLabel;
class ImageView;
class Preferences;
class SwitchButton;

// One entry of the side bar: an icon, a title and (on the "Video" entry) the player switch. A
// click flips the selection, restyles the entry and tells its owner; the selected entry shows a
// blue title on the text background, the others a white title on the bar.
class LeftMenuCell : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool isSelected READ isSelected WRITE setIsSelected NOTIFY isSelectedChanged)
public:
    // The switch starts at `preferences.isOpenPlayer`; clicking it inverts that setting, and every
    // later change of the setting (from here or from the agent) moves it.
    LeftMenuCell(const QRect& frame, std::function<void()> clickClosure, Preferences& preferences,
                 QWidget* parent = nullptr);

    ImageView* imageView() const { return m_imageView; }
    QLabel* titleLabel() const { return m_titleLabel; }
    SwitchButton* rightButton() const { return m_rightButton; }

    QImage normalImage() const { return m_normalImage; }
    void setNormalImage(const QImage& image) { m_normalImage = image; }
    QImage selectedImage() const { return m_selectedImage; }
    void setSelectedImage(const QImage& image) { m_selectedImage = image; }

    QColor titleNormalColor() const { return m_titleNormalColor; }
    QColor titleSelectedColor() const { return m_titleSelectedColor; }
    QColor labelNormalColor() const { return m_labelNormalColor; }
    QColor labelSelectedColor() const;

    bool isSelected() const { return m_isSelected; }
    // Restyles (title colour and background, icon) and redraws on every assignment.
    void setIsSelected(bool selected);

    // The click: flips the selection, restyles, then calls the click closure.
    void clickCellAction();

    // The title's text colour and background as shown now.
    QColor titleColor() const;
    QColor titleBackgroundColor() const;

signals:
    void isSelectedChanged(bool selected);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void restyle();
    void setTitleStyle(const QColor& text, const QColor& background);

    std::function<void()> m_selectedClosure;
    ImageView* m_imageView = nullptr;
    QLabel* m_titleLabel = nullptr;
    SwitchButton* m_rightButton = nullptr;
    QImage m_normalImage;
    QImage m_selectedImage;
    QColor m_titleNormalColor = Qt::white;
    QColor m_titleSelectedColor;
    QColor m_labelNormalColor = Qt::transparent;
    QColor m_titleColor;
    QColor m_titleBackground;
    bool m_isSelected = false;
    bool m_pressed = false;
    std::optional<Disposable> m_observeDispose;
};
