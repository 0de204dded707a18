// Byte-stream devices named in the environment. A program of its own, because
// the device list reads the variable when it is first consulted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/MidiApi.h"

TEST(DeviceEnvironmentTest, DevicesNamedInTheEnvironmentAreListedInOrder) {
    const char* names = "tcp:127.0.0.1:5001;tcp:localhost:5002;bogus;tcp:10.0.0.1:5003";
#ifdef _WIN32
    _putenv_s("TAVIMOR_MIDI_DEVICES", names);
#else
    setenv("TAVIMOR_MIDI_DEVICES", names, 1);
#endif
    const UINT count = midiOutGetNumDevs();
    ASSERT_GE(count, 2u);
    MIDIOUTCAPSA caps;
    ASSERT_EQ(midiOutGetDevCapsA(count - 2, &caps, sizeof(caps)), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "tcp:127.0.0.1:5001");
    ASSERT_EQ(midiOutGetDevCapsA(count - 1, &caps, sizeof(caps)), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "tcp:localhost:5002");
    EXPECT_EQ(midiInGetNumDevs(), count);
}
