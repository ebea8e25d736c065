#pragma once

#include <QLabel>

// A one-line label that cuts its text at the tail with an ellipsis when it is wider than the label.
// The full text stays in text(); only the drawing is shortened.
class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
