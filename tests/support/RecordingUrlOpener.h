#pragma once

#include "UrlOpener.h"

#include <QList>
#include <QUrl>

// Records the addresses it is asked to open instead of starting a browser.
class RecordingUrlOpener : public UrlOpener {
public:
    bool openUrl(const QUrl& url) override {
        opened << url;
        return true;
    }
    QList<QUrl> opened;
};
