#pragma once

#include <QString>
#include <QUrl>
#include <optional>

// Addresses from the server and the library as the lists read them: the text as it is when it is a
// valid address, else the text percent-encoded with the characters allowed in a query (so spaces
// and non-ASCII letters become escapes), else none.
class LooseUrl {
public:
    static std::optional<QUrl> fromString(const QString& text);
};
