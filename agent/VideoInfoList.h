#pragma once

#include "VideoInfoNode.h"

#include <cstddef>
#include <memory>

// The play list: a singly linked list (not circular) with a current entry. Nodes only enter by
// append; going back to the start is the advance rule's job.
class VideoInfoList {
public:
    VideoInfoList() = default;
    VideoInfoList(const VideoInfoList&) = delete;
    VideoInfoList& operator=(const VideoInfoList&) = delete;
    ~VideoInfoList();

    // Adds a node at the end; the first node of an empty list also becomes current.
    void append(const VideoDetail& value);
    // Lets go of every node, one at a time from the head, and clears the three references.
    void removeAll();
    // The advance rule: current moves to its next node, or to the head when there is no current
    // node or current is the last one.
    void advance();
    std::size_t count() const;

    std::shared_ptr<VideoInfoNode> current;
    std::shared_ptr<VideoInfoNode> head;
    std::shared_ptr<VideoInfoNode> tail;
};
