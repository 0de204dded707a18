// What a reply of the sampler means, in words for the user: the reason a
// transfer or an edit stopped.
#pragma once

#include <string>

#include "eps/ReplyResult.h"

std::string ReplyText(TReplyResult reply);
