#pragma once

#include "DataBody.h"
#include "ServerReply.h"

// The reply to the heartbeat.
using HeartbeatResponse = ServerReply<DataBody>;
