#include "app/DebuggingData.h"

TDebuggingData::TDebuggingData() {
    TDebugDevice::SetMedia(dmSerial);
    TDebugDevice::Open();
    DebugDevice = &Debug;
}

TDebuggingData::~TDebuggingData() {
    TDebugDevice::Close();
    DebugDevice = nullptr;
}
