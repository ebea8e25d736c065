#pragma once

#include <QSplitter>

// The main window's split between the side bar and the pages: the divider has no width and draws
// nothing.
class MainWindowSplitView : public QSplitter {
    Q_OBJECT

public:
    explicit MainWindowSplitView(QWidget* parent = nullptr);
    explicit MainWindowSplitView(Qt::Orientation orientation, QWidget* parent = nullptr);

    int dividerThickness() const { return 0; }
};
