// The input buffer of a raw MIDI device file that the virtual sampler serves.
#pragma once

// A program on the other side of a virtual raw MIDI port may hand the
// sequencer a whole block of the largest size as one event, as Wine's MIDI
// driver does; the kernel puts it into the raw side's input buffer at once,
// and what does not fit (4 KB by default) is lost, where a cable would have
// brought it at MIDI speed. Gives the buffer room for such a block; a file
// that is no raw MIDI device keeps what it has.
void MakeRoomForWholeBlocks(int fd);
