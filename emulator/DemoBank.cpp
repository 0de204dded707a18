#include "emulator/DemoBank.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "emulator/SamplerName.h"

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;

// Reproducible noise in -1..1.
class TNoise {
public:
    double Next() {
        State = State * 1664525u + 1013904223u;
        return static_cast<double>(State >> 8) / (1u << 23) - 1.0;
    }

private:
    std::uint32_t State = 12345;
};

// Scales a signal so that its peak reaches the given part of full scale.
std::vector<std::int16_t> Quantize(const std::vector<double>& signal, double peakPart) {
    double peak = 0;
    for (const double v : signal) {
        peak = std::max(peak, std::abs(v));
    }
    const double gain = peak > 0 ? peakPart * 32767 / peak : 0;
    std::vector<std::int16_t> data(signal.size());
    std::transform(signal.begin(), signal.end(), data.begin(),
                   [&](double v) { return static_cast<std::int16_t>(std::lround(v * gain)); });
    return data;
}

} // namespace

// The synthesis takes a while, so it is done once and copied after.
void TDemoBank::Load(TSamplerModel& model) {
    static const TSamplerModel bank = Build();
    model.Clear();
    for (int i = 0; i < TSamplerModel::InstrumentCount; ++i) {
        if (const TInstrument* instrument = bank.Instrument(i)) {
            model.CreateInstrument(i) = *instrument;
        }
    }
}

TSamplerModel TDemoBank::Build() {
    TSamplerModel model;
    TInstrument& piano = AddInstrument(model, 0, "GRAND PIANO");
    TWaveSample& tone = piano.Place(1, Piano());
    TWaveSample high = tone;
    high.Data.clear();
    TSamplerName::Encode("PIANO HIGH", high.Parameters.data());
    high.SetHigh(TWaveSample::CopyOfWord, 1);
    high.SetHigh(TWaveSample::LowKeyWord, 73);
    high.SetHigh(TWaveSample::HighKeyWord, 108);
    piano.Place(2, std::move(high));

    TInstrument& drums = AddInstrument(model, 1, "DRUM KIT");
    drums.Place(1, Kick());
    drums.Place(2, Rimshot());

    AddInstrument(model, 3, "WARM PAD").Place(1, Pad());
    return model;
}

TWaveSample TDemoBank::Piano() {
    const double rate = Rate(LowPeriod);
    const double f0 = 261.63; // C4, the root key
    std::vector<double> signal(static_cast<std::size_t>(1.4 * rate));
    for (int h = 1; h <= 7; ++h) {
        // Stiff strings run slightly sharp; the upper partials die first.
        const double f = h * f0 * std::sqrt(1 + 0.0004 * h * h);
        const double amplitude = 1 / std::pow(h, 1.2);
        const double decay = 1.2 / (1 + 0.6 * (h - 1));
        for (std::size_t i = 0; i < signal.size(); ++i) {
            const double t = static_cast<double>(i) / rate;
            const double attack = std::min(1.0, t / 0.003);
            signal[i] += attack * amplitude * std::exp(-t / decay) * std::sin(TwoPi * f * t);
        }
    }
    return Make({"PIANO C4", LowPeriod, 60, 21, 72}, signal);
}

TWaveSample TDemoBank::Kick() {
    const double rate = Rate(HighPeriod);
    std::vector<double> signal(static_cast<std::size_t>(0.5 * rate));
    TNoise noise;
    double phase = 0;
    for (std::size_t i = 0; i < signal.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double pitch = 50 + 100 * std::exp(-t / 0.04);
        phase += TwoPi * pitch / rate;
        signal[i] =
            std::exp(-t / 0.25) * std::sin(phase) + 0.3 * std::exp(-t / 0.01) * noise.Next();
    }
    // A take begins before the hit: the start marker skips the room noise.
    constexpr std::size_t PreRoll = 240;
    std::vector<double> take(PreRoll + signal.size());
    for (std::size_t i = 0; i < PreRoll; ++i) {
        take[i] = 0.01 * noise.Next();
    }
    std::copy(signal.begin(), signal.end(), take.begin() + PreRoll);
    TWaveSample kick = Make({"KICK", HighPeriod, 36, 21, 47}, take);
    kick.SetAddress(TWaveSample::StartWord, PreRoll);
    kick.SetAddress(TWaveSample::LoopStartWord, PreRoll);
    return kick;
}

TWaveSample TDemoBank::Rimshot() {
    const double rate = Rate(HighPeriod);
    std::vector<double> signal(400);
    TNoise noise;
    for (std::size_t i = 0; i < signal.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double body = std::sin(TwoPi * 1700 * t) + 0.6 * std::sin(TwoPi * 500 * t);
        signal[i] = std::exp(-t / 0.002) * (body + 0.8 * noise.Next());
    }
    return Make({"RIMSHOT", HighPeriod, 50, 48, 108}, signal);
}

// Every partial and the tremolo are whole numbers of hertz, so the sound
// repeats exactly after one second: that second is the loop, and it runs to
// the last sample.
TWaveSample TDemoBank::Pad() {
    const double rate = Rate(LowPeriod);
    const std::size_t loopStart = static_cast<std::size_t>(rate / 2);
    const std::size_t loopLength = static_cast<std::size_t>(rate);
    std::vector<double> signal(loopStart + loopLength);
    const int chord[] = {220, 277, 330, 440};
    for (std::size_t i = 0; i < signal.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        double v = 0;
        for (const int f : chord) {
            for (int h = 1; h <= 3; ++h) {
                // A second voice one hertz sharp beats slowly against the first.
                v += (std::sin(TwoPi * h * f * t) + std::sin(TwoPi * h * (f + 1) * t)) / h;
            }
        }
        const double swell = std::min(1.0, t / 0.4);
        signal[i] = swell * (1 + 0.15 * std::sin(TwoPi * 2 * t)) * v;
    }
    TWaveSample pad = Make({"PAD LOOP", LowPeriod, 57, 21, 108}, signal);
    pad.SetHigh(TWaveSample::PlaybackModeWord, LoopForward);
    pad.SetAddress(TWaveSample::LoopStartWord, static_cast<std::uint32_t>(loopStart));
    return pad;
}

TWaveSample TDemoBank::Make(const TVoice& voice, const std::vector<double>& signal) {
    TWaveSample waveSample;
    TSamplerName::Encode(voice.Name, waveSample.Parameters.data());
    waveSample.Data = Quantize(signal, 0.8);
    const auto last = static_cast<std::uint32_t>(signal.size() - 1);
    waveSample.SetAddress(TWaveSample::StartWord, 0);
    waveSample.SetAddress(TWaveSample::EndWord, last);
    waveSample.SetAddress(TWaveSample::LoopStartWord, 0);
    waveSample.SetAddress(TWaveSample::LoopEndWord, last);
    waveSample.SetHigh(TWaveSample::PeriodWord, voice.Period);
    waveSample.SetHigh(TWaveSample::RootKeyWord, voice.RootKey);
    waveSample.SetHigh(TWaveSample::LowKeyWord, voice.LowKey);
    waveSample.SetHigh(TWaveSample::HighKeyWord, voice.HighKey);
    return waveSample;
}

double TDemoBank::Rate(int period) {
    return 625000.0 / period;
}

TInstrument& TDemoBank::AddInstrument(TSamplerModel& model, int slot, const std::string& name) {
    TInstrument& instrument = model.CreateInstrument(slot);
    instrument.SetName(name);
    instrument.CreateLayer();
    return instrument;
}
