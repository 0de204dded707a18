// The data module that holds the program's debug device. It is created last
// of all the program's windows and objects and destroyed first, so the trace
// covers the whole run.
#pragma once

#include "debug/DebugDevice.h"

class TDebuggingData {
public:
    // DebuggingDataCreate: applies the stored medium (the serial line, which
    // only counts when no trace is open yet), opens the device and makes it
    // the program's DebugDevice.
    TDebuggingData();
    // DebuggingDataDestroy: ends the trace.
    ~TDebuggingData();
    TDebuggingData(const TDebuggingData&) = delete;
    TDebuggingData& operator=(const TDebuggingData&) = delete;

    TDebugDevice Debug;
};
