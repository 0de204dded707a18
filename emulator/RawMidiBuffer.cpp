#include "emulator/RawMidiBuffer.h"

#ifdef __linux__
#include <sound/asound.h>
#include <sys/ioctl.h>
#endif

void MakeRoomForWholeBlocks([[maybe_unused]] int fd) {
#ifdef __linux__
    snd_rawmidi_params params{};
    params.stream = SNDRV_RAWMIDI_STREAM_INPUT;
    // The largest block is 10240 words of three bytes each.
    params.buffer_size = 64 * 1024;
    params.avail_min = 1;
    ioctl(fd, SNDRV_RAWMIDI_IOCTL_PARAMS, &params);
#endif
}
