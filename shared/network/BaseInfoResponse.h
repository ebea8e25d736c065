#pragma once

#include "BaseInfo.h"
#include "ServerReply.h"

// The reply to the base-information request.
using BaseInfoResponse = ServerReply<BaseInfo>;
