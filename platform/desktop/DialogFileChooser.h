#pragma once

#include "FileChooser.h"

// The toolkit's file dialog, opened without blocking.
class DialogFileChooser : public FileChooser {
public:
    void chooseFiles(QWidget* parent, const QStringList& suffixes,
                     std::function<void(const QList<QUrl>& files)> chosen) override;
};
