#pragma once

// Sort orders of the online catalogue. Queries carry the order as the integer `sort`, whose
// meaning the list code and the server agree on.
enum class VideoSort { newest, hottest };
