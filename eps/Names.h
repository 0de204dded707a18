// Instrument and wavesample names: twelve parameter words, one character in
// each word's high byte, from the sampler's own character set.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The characters a name sent to the sampler may hold; any other becomes a
// blank.
constexpr std::string_view NameCharacters = "*-+0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// "PIANO-STRING" reads as "Piano-String": each word capitalised, trailing
// blanks gone.
std::string DecodeName(std::span<const std::int32_t, 12> words);
// Upper case, padded with blanks or cut to twelve characters.
void EncodeName(std::span<std::int32_t, 12> words, std::string_view text);
// A decoded name as UTF-8: bytes beyond ASCII, which the sampler's set
// does not define, are taken as Latin-1, so that the text is always valid.
std::string NameAsUtf8(std::string_view name);
