// Texts as JSON strings. Names come from the sampler as 8-bit text; bytes
// beyond ASCII are taken as Latin-1, so that the output is always valid
// JSON.
#pragma once

#include <string>
#include <string_view>

std::string JsonString(std::string_view text);
