#pragma once

#include "UrlOpener.h"

// The desktop's own browser, through the desktop services.
class DesktopUrlOpener : public UrlOpener {
public:
    bool openUrl(const QUrl& url) override;
};
