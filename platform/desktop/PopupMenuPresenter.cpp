#include "PopupMenuPresenter.h"

#include <QMenu>

void PopupMenuPresenter::popUp(const QList<Item>& items, QWidget* view, const QPoint& position) {
    auto* menu = new QMenu(view);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const Item& item : items) {
        QAction* action = menu->addAction(item.title);
        QObject::connect(action, &QAction::triggered, menu, [action = item.action] {
            if (action)
                action();
        });
    }
    menu->popup(view ? view->mapToGlobal(position) : position);
}
