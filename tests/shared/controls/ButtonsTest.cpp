#include "ButtonWithHoverBackGround.h"
#include "ButtonWithPointCursor.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

void enter(QWidget& button) {
    QEnterEvent event(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&button, &event);
}
void leave(QWidget& button) {
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &event);
}
void press(QWidget& button, QEvent::Type type) {
    QMouseEvent event(type, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&button, &event);
}

// Made as an interface file makes it: constructed, properties assigned, then polished.
std::unique_ptr<ButtonWithHoverBackGround>
loaded(const std::function<void(ButtonWithHoverBackGround&)>& set = {}) {
    auto button = std::make_unique<ButtonWithHoverBackGround>();
    button->resize(120, 32);
    button->setText(QStringLiteral("Download"));
    if (set)
        set(*button);
    button->ensurePolished();
    return button;
}

TEST(ButtonWithPointCursor, ShowsThePointingHandEverywhere) {
    ButtonWithPointCursor plain;
    ButtonWithPointCursor framed(QRect(10, 10, 80, 20));
    EXPECT_EQ(plain.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(framed.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(framed.geometry(), QRect(10, 10, 80, 20));
    ButtonWithHoverBackGround derived(QRect(0, 0, 10, 10));
    EXPECT_EQ(derived.cursor().shape(), Qt::PointingHandCursor);
}

TEST(ButtonWithHoverBackGround, LoadedWithoutColoursShowsTheDefaults) {
    auto button = loaded();
    EXPECT_TRUE(button->hasLayer());
    EXPECT_TRUE(button->tracksHover());
    EXPECT_EQ(button->layerBackgroundColor(), ButtonWithHoverBackGround::textBackgroundColor());
    EXPECT_DOUBLE_EQ(button->layerCornerRadius(), 5.0);
    EXPECT_TRUE(button->isTitleStyled());
    EXPECT_EQ(button->font().pixelSize(), 14);
    EXPECT_EQ(button->titleColor(), ButtonWithHoverBackGround::labelColor());
    EXPECT_DOUBLE_EQ(button->layerBorderWidth(), 0.0);
}

TEST(ButtonWithHoverBackGround, MadeInCodeHasNoHoverColours) {
    ButtonWithHoverBackGround button(QRect(0, 0, 100, 30));
    button.setHoverColor(Qt::red);
    button.ensurePolished();
    enter(button);
    EXPECT_FALSE(button.hasLayer());
    EXPECT_FALSE(button.layerBackgroundColor());
    EXPECT_FALSE(button.tracksHover());
}

TEST(ButtonWithHoverBackGround, HoverChangesImageAndColourOnlyWhenEnabled) {
    QPixmap hoverPixmap(4, 4);
    hoverPixmap.fill(Qt::red);
    const QIcon hover(hoverPixmap);
    auto button = loaded([&](ButtonWithHoverBackGround& b) { b.setHoverImage(hover); });
    enter(*button);
    EXPECT_EQ(button->icon().cacheKey(), hover.cacheKey());
    EXPECT_EQ(button->layerBackgroundColor(), ButtonWithHoverBackGround::textBackgroundColor());

    auto disabled = loaded([](ButtonWithHoverBackGround& b) {
        b.setHoverColor(Qt::blue);
        b.setEnabled(false);
    });
    enter(*disabled);
    EXPECT_EQ(disabled->layerBackgroundColor(), ButtonWithHoverBackGround::textBackgroundColor());

    auto coloured = loaded([](ButtonWithHoverBackGround& b) {
        b.setNormalColor(Qt::white);
        b.setHoverColor(Qt::blue);
    });
    enter(*coloured);
    EXPECT_EQ(coloured->layerBackgroundColor(), QColor(Qt::blue));
    leave(*coloured);
    EXPECT_EQ(coloured->layerBackgroundColor(), QColor(Qt::white));
}

TEST(ButtonWithHoverBackGround, PressColours) {
    auto plain = loaded([](ButtonWithHoverBackGround& b) {
        b.setNormalColor(Qt::white);
        b.setHoverColor(Qt::blue);
    });
    press(*plain, QEvent::MouseButtonPress);
    EXPECT_EQ(plain->layerBackgroundColor(), QColor(Qt::white)) << "no pressed colour: background kept";
    press(*plain, QEvent::MouseButtonRelease);
    EXPECT_EQ(plain->layerBackgroundColor(), QColor(Qt::blue));

    auto disabling = loaded([](ButtonWithHoverBackGround& b) {
        b.setPressedColor(Qt::darkGray);
        b.setHoverColor(Qt::blue);
    });
    QObject::connect(disabling.get(), &QPushButton::clicked, disabling.get(),
                     [&] { disabling->setEnabled(false); });
    press(*disabling, QEvent::MouseButtonPress);
    EXPECT_EQ(disabling->layerBackgroundColor(), QColor(Qt::darkGray));
    press(*disabling, QEvent::MouseButtonRelease);
    EXPECT_FALSE(disabling->isEnabled());
    EXPECT_EQ(disabling->layerBackgroundColor(), QColor(Qt::darkGray));
}

TEST(ButtonWithHoverBackGround, LaterAssignmentsTakeEffect) {
    auto button = loaded();
    button->setNormalColor(Qt::green);
    EXPECT_EQ(button->layerBackgroundColor(), QColor(Qt::green));
    button->setCornerRadius(9.0);
    EXPECT_DOUBLE_EQ(button->layerCornerRadius(), 9.0);
    button->setIsCustomBorder(true);
    EXPECT_DOUBLE_EQ(button->layerBorderWidth(), 0.5);
    button->setIsCustomBorder(false);
    EXPECT_DOUBLE_EQ(button->layerBorderWidth(), 0.0);
    button->setTitleColor(Qt::red);
    EXPECT_EQ(button->titleColor(), QColor(Qt::red));
    EXPECT_TRUE(button->styleSheet().contains(QColor(Qt::red).name(QColor::HexArgb)));
}

TEST(ButtonWithHoverBackGround, ADisabledButtonLooksDisabledWhateverThePointerDidToIt) {
    // On a white window, so that a faded colour shows lighter.
    QWidget window;
    QPalette white = window.palette();
    white.setColor(QPalette::Window, Qt::white);
    window.setPalette(white);
    window.setAutoFillBackground(true);
    window.resize(140, 50);
    auto button = loaded([](ButtonWithHoverBackGround& b) {
        b.setNormalColor(QColor(39, 215, 110));
        b.setHoverColor(QColor(58, 231, 128));
        b.setTitleColor(Qt::white);
    });
    button->setParent(&window);
    button->move(10, 10);
    window.show();
    const QPoint edge(14, 26); // the button's background, left of its title
    auto shown = [&] { return window.grab().toImage().pixelColor(edge); };
    const QColor enabled = shown();
    EXPECT_EQ(enabled, QColor(39, 215, 110));

    enter(*button);
    button->setEnabled(false);
    const QColor disabled = shown();
    EXPECT_NE(disabled, enabled);
    EXPECT_NE(disabled, QColor(58, 231, 128)) << "not the hover colour either";
    EXPECT_GT(disabled.lightness(), enabled.lightness());
    EXPECT_LT(disabled.hsvSaturation(), enabled.hsvSaturation());

    button->setEnabled(true);
    leave(*button);
    EXPECT_EQ(shown(), enabled);
}

} // namespace
