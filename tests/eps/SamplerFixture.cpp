#include "tests/eps/SamplerFixture.h"

#include "platform/MidiDevices.h"
#include "tests/support/DeviceNumbers.h"
#include "tests/support/Eventually.h"

void TRecordedSampler::FromProgram(const std::uint8_t* data, std::size_t count) {
    {
        std::lock_guard lock(Mutex);
        Bytes.insert(Bytes.end(), data, data + count);
    }
    Inner.FromProgram(data, count);
}

std::vector<TBytes> TRecordedSampler::Messages() const {
    std::lock_guard lock(Mutex);
    std::vector<TBytes> messages;
    bool inside = false;
    for (std::uint8_t byte : Bytes) {
        if (byte == SysExStart) {
            messages.emplace_back();
            inside = true;
        }
        if (inside) {
            messages.back().push_back(byte);
        }
        if (byte == SysExEnd) {
            inside = false;
        }
    }
    return messages;
}

void SamplerTest::Start(const TSamplerOptions& options) {
    Peer = std::make_shared<TRecordedSampler>(options);
    ASSERT_TRUE(MidiRegisterLocalPeer(Peer));
    Eps = std::make_unique<TEps>(&Owner, &Dialogs);
    Eps->MidiIn->DeviceID = MidiInputNumber(TRecordedSampler::DeviceName);
    Eps->MidiOut->DeviceID = MidiOutputNumber(TRecordedSampler::DeviceName);
    MessagesSeen = 0;
}

void SamplerTest::Stop() {
    Eps.reset();
    MidiUnregisterLocalPeer(TRecordedSampler::DeviceName);
    Peer.reset();
}

// A probe goes out behind everything sent so far; once the sampler has
// answered it, it has had all the rest.
std::vector<TBytes> SamplerTest::NewMessages() {
    const TBytes marker = TReply().Byte(0x40).Word12(MarkerValue).End();
    Eps->SendProbe(MarkerValue);
    WaitForInput(8);
    EXPECT_EQ(Eps->ProcessInput(), rrAck);
    const std::vector<TBytes> all = Peer->Messages();
    EXPECT_EQ(all.back(), marker);
    std::vector<TBytes> fresh(all.begin() + static_cast<std::ptrdiff_t>(MessagesSeen),
                              all.end() - 1);
    MessagesSeen = all.size();
    return fresh;
}

TWaveSample SamplerTest::WaveSampleAt(int instrument, int number) {
    SettleSampler();
    TWaveSample copy;
    Sampler().Inspect([&](TSamplerModel& model) {
        const TInstrument* found = model.Instrument(instrument);
        const TWaveSample* waveSample = found != nullptr ? found->WaveSample(number) : nullptr;
        ASSERT_NE(waveSample, nullptr) << instrument << " " << number;
        copy = *waveSample;
    });
    return copy;
}

void SamplerTest::PlaceWaveSample(int instrument, int number,
                                  const std::vector<std::int16_t>& data) {
    Sampler().Inspect([&](TSamplerModel& model) {
        TInstrument& target = model.CreateInstrument(instrument);
        target.CreateLayer();
        TWaveSample waveSample;
        waveSample.Data = data;
        waveSample.SetAddress(TWaveSample::EndWord, static_cast<std::uint32_t>(data.size() - 1));
        waveSample.SetAddress(TWaveSample::LoopEndWord,
                              static_cast<std::uint32_t>(data.size() - 1));
        target.Place(number, waveSample);
    });
}

void SamplerTest::OpenWaveSample(int instrument, int number) {
    ASSERT_TRUE(Eps->CheckConnection());
    Eps->Instrument = instrument;
    Eps->WaveSample = number;
    ASSERT_EQ(Eps->OpenWavesample(true), orOpened);
}

void SamplerTest::WaitForInput(std::uint32_t count) {
    ASSERT_TRUE(Eventually([&] { return Eps->MidiIn->InputCount() >= count; }));
}

TBytes RangeRequest(std::uint8_t code, int instrument, int number, std::int32_t start,
                    std::int32_t end) {
    return TReply()
        .Byte(code)
        .Word12(instrument)
        .Word12(0)
        .Word12(number)
        .Word24(start)
        .Word24(end)
        .End();
}
