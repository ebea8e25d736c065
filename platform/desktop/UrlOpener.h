#pragma once

#include <QUrl>

// Opens an address in the user's browser. Addresses come from the server, so only http and https
// are ever handed on; anything else is refused.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // True when the address was handed to the browser.
    virtual bool openUrl(const QUrl& url) = 0;

    // Whether `url` is an http or https address with a host, the only kind that is opened.
    static bool isWebAddress(const QUrl& url);
};
