#include "BorderViewController.h"

BorderViewController::BorderViewController(QObject* parent) : QObject(parent) {}

BorderViewController::~BorderViewController() {
    if (m_view && !m_view->parent())
        delete m_view;
}

QWidget* BorderViewController::view() {
    if (!m_view) {
        m_view = loadView();
        viewDidLoad();
    }
    return m_view;
}

QWidget* BorderViewController::loadView() {
    return new QWidget;
}

void BorderViewController::viewDidLoad() {
    m_view->setAttribute(Qt::WA_StyledBackground);
    m_view->setAutoFillBackground(true);
}
