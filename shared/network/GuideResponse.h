#pragma once

#include "PurpleData.h"
#include "ServerReply.h"

// The reply to the guide-information request.
using GuideResponse = ServerReply<PurpleData>;
