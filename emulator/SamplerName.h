// Names as the sampler keeps them: twelve words, one character in the high
// byte of each, from a set of 39 characters and the blank.
#pragma once

#include <cstdint>
#include <string>

class TSamplerName {
public:
    static constexpr int Length = 12;
    static constexpr const char* Characters = "*-+0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

    // Writes twelve words: the text in upper case, every character outside
    // the set as a blank, cut or padded with blanks to twelve.
    static void Encode(const std::string& text, std::uint16_t* words);
    // The twelve characters as they stand, trailing blanks removed.
    static std::string Decode(const std::uint16_t* words);
};
