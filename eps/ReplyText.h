// What a reply of the sampler means, in words for the user: the reason a
// transfer, an edit or the directory scan stopped.
#pragma once

#include <string>

#include "eps/ReplyResult.h"

std::string ReplyText(TReplyResult reply);
// Why the directory scan stopped, naming the instrument as the user counts
// it: "instrument 4 could not be read (nothing readable)".
std::string UnreadInstrumentText(int instrument, TReplyResult reply);
