#pragma once

#include <QWidget>

// A view whose background is the text-background colour of the current palette, taken again
// whenever the palette changes (a switch between light and dark appearance).
class ContentView : public QWidget {
    Q_OBJECT

public:
    explicit ContentView(QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyBackground();
};
