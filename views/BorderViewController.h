#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

// A view controller whose view paints its own background (the layer-backed view of the pages it
// serves as a base for). The view is made on first use.
class BorderViewController : public QObject {
    Q_OBJECT

public:
    explicit BorderViewController(QObject* parent = nullptr);
    ~BorderViewController() override;

    // The controller's view, made (and viewDidLoad run) on first call. The controller deletes it
    // unless it has been given a parent widget.
    QWidget* view();
    bool isViewLoaded() const { return !m_view.isNull(); }

protected:
    // Makes the view; subclasses may build their own.
    virtual QWidget* loadView();
    // Runs once, right after the view is made: the view paints its own background.
    virtual void viewDidLoad();

private:
    QPointer<QWidget> m_view;
};
