#pragma once

#include <QObject>
#include <QRect>
#include <vector>

// The connected screens as frames in Qt's global coordinates (top-left origin, y down): the
// primary screen first, then the others in the platform's order. screensChanged() is emitted when
// a screen comes or goes or a screen's geometry changes. Tests derive a fake that sets its own list.
class ScreenList : public QObject {
    Q_OBJECT
public:
    explicit ScreenList(QObject* parent = nullptr);
    static ScreenList& shared();

    virtual std::vector<QRect> screens() const;

signals:
    void screensChanged();

private:
    void watch(class QScreen* screen);
};
