#include "PreviewPresenter.h"

#include <QWidget>

PreviewPresenter* PreviewPresenter::of(const QWidget* widget) {
    if (!widget)
        return nullptr;
    return dynamic_cast<PreviewPresenter*>(widget->window());
}
