#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>
#include <functional>

class QWidget;

// Lets the user pick files to open.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // Shows the chooser for files with one of `suffixes` (no dot) and returns at once. `chosen`
    // runs on the main thread with the chosen files, only when the user confirmed.
    virtual void chooseFiles(QWidget* parent, const QStringList& suffixes,
                             std::function<void(const QList<QUrl>& files)> chosen) = 0;
};
