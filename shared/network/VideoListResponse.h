#pragma once

#include "ServerReply.h"
#include "TotalVideo.h"

// The reply to a video-list query: one page of videos. One malformed video fails the whole page.
using VideoListResponse = ServerReply<TotalVideo>;
