// Byte-stream devices named in the environment. A program of its own, because
// the device list reads the variable when it is first consulted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/MidiApi.h"

TEST(DeviceEnvironmentTest, DevicesNamedInTheEnvironmentAreListedInOrder) {
    setenv("TAVIMOR_MIDI_DEVICES", "unix:/tmp/a.sock;unix:/tmp/b.sock;bogus", 1);
    const UINT count = midiOutGetNumDevs();
    ASSERT_GE(count, 2u);
    MIDIOUTCAPSA caps;
    ASSERT_EQ(midiOutGetDevCapsA(count - 2, &caps, sizeof(caps)), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "unix:/tmp/a.sock");
    ASSERT_EQ(midiOutGetDevCapsA(count - 1, &caps, sizeof(caps)), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "unix:/tmp/b.sock");
    EXPECT_EQ(midiInGetNumDevs(), count);
}
