#pragma once

#include "BaseInfo.h"
#include "Msg.h"
#include "TotalVideo.h"
#include "VideoDetail.h"

#include <QString>
#include <vector>

// Bounds on what one decoded server reply may carry on into the lists, menus and labels, so that a
// reply with an enormous list or text costs no more to show than a sane one. Texts are cut, lists
// keep their first entries; addresses, signs and numbers are left alone. Each bound returns whether
// it changed anything. Pure; any thread.
class ReplyLimits {
public:
    // Characters (UTF-16 units) of one shown text: a title, description, author name, tag, ...
    static constexpr int maximumTextLength = 1000;
    // Videos kept from one list reply.
    static constexpr int maximumListRecords = 1000;
    // Categories, hot tags, hot keys and keyword suggestions kept from one reply.
    static constexpr int maximumListEntries = 100;

    // The text's first maximumTextLength characters (one fewer where that would split a pair).
    static QString cut(const QString& text);

    static bool bound(QString& text);
    // Title, description, tags, ratio, upload time and author.
    static bool bound(VideoDetail& video);
    // The first maximumListRecords videos, each bounded.
    static bool bound(TotalVideo& page);
    // The first maximumListEntries categories, hot tags and hot keys, their texts cut.
    static bool bound(BaseInfo& info);
    // The first maximumListEntries texts, each cut.
    static bool bound(std::vector<QString>& texts);
    // The news texts of the heartbeat.
    static bool bound(Msg& messages);
};
