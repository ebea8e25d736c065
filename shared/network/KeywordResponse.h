#pragma once

#include "ServerReply.h"

#include <QString>
#include <vector>

// The reply to a keyword-suggestion query: the suggestions in the server's order.
using KeywordResponse = ServerReply<std::vector<QString>>;
