#include "VideoInfoList.h"

VideoInfoList::~VideoInfoList() {
    removeAll();
}

void VideoInfoList::append(const VideoDetail& value) {
    auto node = std::make_shared<VideoInfoNode>(value);
    if (tail) {
        tail->next = node;
        tail = node;
    } else {
        tail = node;
        head = node;
        current = node;
    }
}

void VideoInfoList::removeAll() {
    // Walking from the head releases the nodes one by one; letting the head go at once would
    // release the whole chain recursively.
    current.reset();
    tail.reset();
    while (head)
        head = std::shared_ptr<VideoInfoNode>(std::move(head->next));
}

void VideoInfoList::advance() {
    if (current && current->next)
        current = current->next;
    else
        current = head;
}

std::size_t VideoInfoList::count() const {
    std::size_t n = 0;
    for (auto node = head; node; node = node->next)
        ++n;
    return n;
}
