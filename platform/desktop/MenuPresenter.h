#pragma once

#include <QList>
#include <QPoint>
#include <QString>
#include <functional>

class QWidget;

// Pops up context menus.
class MenuPresenter {
public:
    struct Item {
        QString title;
        std::function<void()> action;
    };

    virtual ~MenuPresenter() = default;
    // Shows `items` in this order at `position` (in `view`'s coordinates) and returns at once; the
    // chosen item's action runs on the main thread.
    virtual void popUp(const QList<Item>& items, QWidget* view, const QPoint& position) = 0;
};
