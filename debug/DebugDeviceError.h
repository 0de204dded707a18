// The one failure of the debug device that reaches its caller: the trace
// monitor cannot be reached when the window medium is opened.
#pragma once

#include <stdexcept>

class EDebugDeviceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
