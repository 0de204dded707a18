// The hard failures of the MIDI ports. what() is the whole message, starting
// with "error: ".
#pragma once

#include <stdexcept>

class EMidiError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
