#include "ReplyLimits.h"

QString ReplyLimits::cut(const QString& text) {
    if (text.size() <= maximumTextLength)
        return text;
    qsizetype length = maximumTextLength;
    // Half of a surrogate pair would show as a replacement character.
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

bool ReplyLimits::bound(QString& text) {
    if (text.size() <= maximumTextLength)
        return false;
    text = cut(text);
    return true;
}

bool ReplyLimits::bound(VideoDetail& video) {
    bool changed = false;
    for (QString* text :
         {&video.title, &video.description, &video.tags, &video.ratio, &video.uptime, &video.author})
        changed |= bound(*text);
    return changed;
}

bool ReplyLimits::bound(TotalVideo& page) {
    bool changed = false;
    if (page.vlist.size() > size_t(maximumListRecords)) {
        page.vlist.resize(size_t(maximumListRecords));
        changed = true;
    }
    for (VideoDetail& video : page.vlist)
        changed |= bound(video);
    return changed;
}

bool ReplyLimits::bound(BaseInfo& info) {
    bool changed = false;
    if (info.cate.size() > size_t(maximumListEntries)) {
        info.cate.resize(size_t(maximumListEntries));
        changed = true;
    }
    for (Cate& category : info.cate)
        changed |= bound(category.title);
    changed |= bound(info.hottags);
    changed |= bound(info.hotkey);
    return changed;
}

bool ReplyLimits::bound(std::vector<QString>& texts) {
    bool changed = false;
    if (texts.size() > size_t(maximumListEntries)) {
        texts.resize(size_t(maximumListEntries));
        changed = true;
    }
    for (QString& text : texts)
        changed |= bound(text);
    return changed;
}

bool ReplyLimits::bound(Msg& messages) {
    bool changed = bound(messages.msgBottom.msg);
    changed |= bound(messages.msgTop.tittle);
    return changed;
}
