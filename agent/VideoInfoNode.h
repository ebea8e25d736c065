#pragma once

#include "VideoDetail.h"

#include <memory>

// One entry of the play list: a video record and the entry after it (none at the end).
class VideoInfoNode {
public:
    explicit VideoInfoNode(VideoDetail value) : val(std::move(value)) {}

    VideoDetail val;
    std::shared_ptr<VideoInfoNode> next;
};
