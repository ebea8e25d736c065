#pragma once

#include "MenuPresenter.h"

// Context menus as the toolkit's pop-up menus.
class PopupMenuPresenter : public MenuPresenter {
public:
    void popUp(const QList<Item>& items, QWidget* view, const QPoint& position) override;
};
