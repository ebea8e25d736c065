#pragma once

#include "ServerReply.h"
#include "VideoDetail.h"

// The reply to the video-detail request.
using VideoDetailResponse = ServerReply<VideoDetail>;
