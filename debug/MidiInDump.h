// The bytes still waiting in a MIDI input, written to the debug trace as
// hexadecimal, sixteen to a line. Every download and upload ends with it, so
// that stray or unread replies of the sampler can be inspected, and so that
// the next exchange starts with an empty input.
#pragma once

class TMidiIn;

// Takes every waiting byte out of the input, whatever the trace's medium.
void DumpMidiIn(TMidiIn& midiIn);
