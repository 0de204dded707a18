#include "emulator/SamplerProtocol.h"

#include <algorithm>
#include <utility>

#include "emulator/SampleEdits.h"

namespace {

constexpr std::uint8_t AckCode = 0x01;
// F0 0F 03 channel, the code, its two bytes, F7.
constexpr std::size_t AckSize = 8;
// Header and F7 around a message's fields.
constexpr std::size_t Framing = TSysExReader::HeaderSize + 1;

std::string RangeText(std::uint32_t start, std::uint32_t end) {
    return " " + std::to_string(start) + ".." + std::to_string(end);
}

} // namespace

const TSamplerProtocol::TRequest TSamplerProtocol::Requests[] = {
    {3, 6, &TSamplerProtocol::GetInstrumentParameters},
    {5, 6, &TSamplerProtocol::GetWaveSampleParameters},
    {6, 14, &TSamplerProtocol::GetWaveSampleData},
    {10, 14, &TSamplerProtocol::GetWaveSampleOverview},
    {12, 6, &TSamplerProtocol::PutInstrumentParameters},
    {14, 6, &TSamplerProtocol::PutWaveSampleParameters},
    {15, 14, &TSamplerProtocol::PutWaveSampleData},
    {21, 6, &TSamplerProtocol::CreateInstrument},
    {22, 6, &TSamplerProtocol::CreateLayer},
    {25, 6, &TSamplerProtocol::CreateWaveSample},
    {30, 6, &TSamplerProtocol::Close},
    {31, 14, &TSamplerProtocol::ClearData},
    {32, 24, &TSamplerProtocol::CopyData},
    {34, 24, &TSamplerProtocol::ScaleData},
    {36, 14, &TSamplerProtocol::ReverseData},
    {39, 16, &TSamplerProtocol::FadeIn},
    {40, 16, &TSamplerProtocol::FadeOut},
    {64, 2, &TSamplerProtocol::Probe},
    {65, 6, &TSamplerProtocol::NormalizeGain},
};

TSamplerProtocol::TSamplerProtocol(TSamplerModel& model, TSamplerLink& link, int channel,
                                   const TSamplerTiming& timing)
    : Model(model), Link(link), BaseChannel(channel), Timing(timing), Writer(link, channel) {}

void TSamplerProtocol::Receive(std::span<const std::uint8_t> bytes) {
    Parser.Feed(bytes, *this);
}

void TSamplerProtocol::Reset() {
    Parser.Reset();
    Pending = {};
}

void TSamplerProtocol::SysEx(std::span<const std::uint8_t> message) {
    if (!IsOurs(message)) {
        return;
    }
    const bool awaitsData = Pending.Await != TAwait::Nothing && Pending.Await != TAwait::Ack;
    if (awaitsData && message.size() == 3 * Pending.Count + Framing) {
        TakeData(message);
        return;
    }
    const TDialogue previous = std::exchange(Pending, {});
    if (message.size() == AckSize && message[TSysExReader::HeaderSize] == AckCode) {
        if (previous.Await == TAwait::Ack) {
            Note("Ack -> data of " + std::to_string(previous.Words.size()) + " words");
            Writer.Data(previous.Words);
        }
        return;
    }
    const TRequest* request = Find(message[TSysExReader::HeaderSize]);
    if (request == nullptr || message.size() != request->FieldBytes + Framing + 1) {
        Note("Dropped a message of " + std::to_string(message.size()) + " bytes");
        return;
    }
    TSysExReader fields(message);
    fields.Byte();
    (this->*request->Handle)(fields);
}

void TSamplerProtocol::Short(std::span<const std::uint8_t> message) {
    const std::uint8_t kind = message[0] & 0xF0;
    if ((message[0] & 0x0F) != BaseChannel - 1) {
        return;
    }
    if (kind == 0xC0) {
        Played.Program = message[1];
        if (message[1] < TSamplerModel::InstrumentCount) {
            Played.Instrument = message[1];
        }
        Note("Program " + std::to_string(message[1]));
    } else if (kind == 0x90 && message[2] > 0) {
        Played.Key = message[1];
        Played.Velocity = message[2];
        Played.Sounding = true;
        Note("Note on " + std::to_string(message[1]) + " " + std::to_string(message[2]));
    } else if ((kind == 0x80 || kind == 0x90) && message[1] == Played.Key) {
        Played.Sounding = false;
        Note("Note off " + std::to_string(message[1]));
    }
}

bool TSamplerProtocol::IsOurs(std::span<const std::uint8_t> message) const {
    return message.size() >= Framing && message[1] == 0x0F && message[2] == 0x03 &&
           message[3] == BaseChannel - 1;
}

const TSamplerProtocol::TRequest* TSamplerProtocol::Find(std::uint8_t code) {
    for (const TRequest& request : Requests) {
        if (request.Code == code) {
            return &request;
        }
    }
    return nullptr;
}

void TSamplerProtocol::TakeData(std::span<const std::uint8_t> message) {
    TSysExReader fields(message);
    std::vector<std::uint16_t> words(Pending.Count);
    for (std::uint16_t& word : words) {
        word = static_cast<std::uint16_t>(fields.Word16());
    }
    StoreData(words);
    Pending = {};
}

// The header was checked when it came, and any message in between would
// have ended the dialogue, so what it named is still there.
void TSamplerProtocol::StoreData(const std::vector<std::uint16_t>& words) {
    const std::string request = "Data of " + std::to_string(words.size()) + " words";
    if (Pending.Await == TAwait::InstrumentBlock) {
        TInstrument::TParameters block;
        std::copy(words.begin(), words.end(), block.begin());
        Model.Instrument(Pending.Address.Instrument)->SetParameters(block);
    } else {
        TWaveSample* waveSample = nullptr;
        const TSamplerAddress& a = Pending.Address;
        Model.Find(a.Instrument, a.Layer, a.WaveSample, waveSample);
        if (Pending.Await == TAwait::ParameterBlock) {
            std::copy(words.begin(), words.end(), waveSample->Parameters.begin());
        } else {
            auto& data = waveSample->Data;
            data.resize(std::max<std::size_t>(data.size(), Pending.Start + words.size()), 0);
            std::copy(words.begin(), words.end(), data.begin() + Pending.Start);
            BusyUntil = Link.Now() + Timing.Real(Timing.BlockPerWord * words.size());
        }
    }
    Answer(request, TResponseCode::Ack);
}

void TSamplerProtocol::GetInstrumentParameters(TSysExReader& fields) {
    const TSamplerAddress address = ReadAddress(fields);
    const std::string request = "GetInstrumentParameters " + address.Text();
    const TInstrument* instrument = Model.Instrument(address.Instrument);
    if (instrument == nullptr) {
        Answer(request, TResponseCode::NoInstrument);
        return;
    }
    const auto& block = instrument->Parameters();
    Answer(request, TResponseCode::Ack);
    Writer.Header(TReplyWriter::InstrumentHeader, address);
    Hold({block.begin(), block.end()});
}

void TSamplerProtocol::GetWaveSampleParameters(TSysExReader& fields) {
    const TSamplerAddress a = ReadAddress(fields);
    const std::string request = "GetWaveSampleParameters " + a.Text();
    if (const TWaveSample* waveSample = Lookup(request, a)) {
        Answer(request, TResponseCode::Ack);
        Writer.Header(TReplyWriter::ParametersHeader, a);
        const auto& block = waveSample->Parameters;
        Hold({block.begin(), block.end()});
    }
}

void TSamplerProtocol::GetWaveSampleData(TSysExReader& fields) {
    TRange r = ReadRange(fields);
    if (Faults.HalfBlocks && r.End > r.Start) {
        r.End = r.Start + (r.End - r.Start + 1) / 2;
    }
    const std::string request = "GetWaveSampleData " + r.Address.Text() + RangeText(r.Start, r.End);
    const TWaveSample* waveSample = DataOwner(request, r.Address);
    if (waveSample == nullptr) {
        return;
    }
    if (r.Start > r.End || r.End > Model.MemoryWords()) {
        Answer(request, TResponseCode::CannotServe);
        return;
    }
    std::vector<std::uint16_t> words(r.End - r.Start);
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<std::uint16_t>(TSampleEdits::At(waveSample->Data, r.Start + i));
    }
    Answer(request, TResponseCode::Ack);
    Writer.RangeHeader(TReplyWriter::DataHeader, r.Address, r.Start, r.End);
    Hold(std::move(words));
}

void TSamplerProtocol::GetWaveSampleOverview(TSysExReader& fields) {
    const TRange r = ReadRange(fields);
    const std::string request =
        "GetWaveSampleOverview " + r.Address.Text() + RangeText(r.Start, r.End);
    const TWaveSample* waveSample = DataOwner(request, r.Address);
    if (waveSample == nullptr) {
        return;
    }
    if (r.Start > r.End) {
        Answer(request, TResponseCode::CannotServe);
        return;
    }
    Answer(request, TResponseCode::Ack);
    Writer.RangeHeader(TReplyWriter::OverviewHeader, r.Address, r.Start, r.End);
    Hold(TSampleEdits::Overview(waveSample->Data, r.Start, r.End));
}

void TSamplerProtocol::PutInstrumentParameters(TSysExReader& fields) {
    const TSamplerAddress address = ReadAddress(fields);
    const std::string request = "SendInstrumentParametersHeader " + address.Text();
    if (Model.Instrument(address.Instrument) == nullptr) {
        Answer(request, TResponseCode::NoInstrument);
        return;
    }
    Answer(request, TResponseCode::Ack);
    Expect(TAwait::InstrumentBlock, address, 0, TInstrument::ParameterCount);
}

void TSamplerProtocol::PutWaveSampleParameters(TSysExReader& fields) {
    const TSamplerAddress a = ReadAddress(fields);
    const std::string request = "SendWaveSampleParametersHeader " + a.Text();
    if (Lookup(request, a) != nullptr) {
        Answer(request, TResponseCode::Ack);
        Expect(TAwait::ParameterBlock, a, 0, TWaveSample::ParameterCount);
    }
}

void TSamplerProtocol::PutWaveSampleData(TSysExReader& fields) {
    const TRange r = ReadRange(fields);
    const std::string request =
        "SendWaveSampleDataHeader " + r.Address.Text() + RangeText(r.Start, r.End);
    const TWaveSample* waveSample = DataOwner(request, r.Address);
    if (waveSample == nullptr) {
        return;
    }
    TResponseCode code = TResponseCode::Ack;
    if (r.Start > r.End) {
        code = TResponseCode::CannotServe;
    } else if (Link.Now() < BusyUntil) {
        code = TResponseCode::TooFast;
    } else if (!Model.CanGrow(*waveSample, r.End)) {
        code = TResponseCode::MemoryFull;
    }
    Answer(request, code);
    if (code == TResponseCode::Ack) {
        Expect(TAwait::SampleBlock, r.Address, r.Start, r.End - r.Start);
    }
}

void TSamplerProtocol::CreateInstrument(TSysExReader& fields) {
    const TSamplerAddress address = ReadAddress(fields);
    const std::string request = "CreateInstrument " + address.Text();
    if (IgnoredCreate(request)) {
        return;
    }
    if (address.Instrument >= TSamplerModel::InstrumentCount) {
        Answer(request, TResponseCode::CannotServe);
        return;
    }
    Model.CreateInstrument(address.Instrument);
    Answer(request, TResponseCode::Ack);
}

void TSamplerProtocol::CreateLayer(TSysExReader& fields) {
    const TSamplerAddress address = ReadAddress(fields);
    const std::string request = "CreateLayer " + address.Text();
    if (IgnoredCreate(request)) {
        return;
    }
    TInstrument* instrument = Model.Instrument(address.Instrument);
    if (instrument == nullptr) {
        Answer(request, TResponseCode::NoInstrument);
        return;
    }
    if (address.Layer != 0) {
        Answer(request, TResponseCode::CannotServe); // only layer 0 is kept
        return;
    }
    instrument->CreateLayer();
    Answer(request, TResponseCode::Ack);
}

void TSamplerProtocol::CreateWaveSample(TSysExReader& fields) {
    const TSamplerAddress address = ReadAddress(fields);
    std::string request = "CreateWaveSample " + address.Text();
    if (IgnoredCreate(request)) {
        return;
    }
    TInstrument* instrument = Model.Instrument(address.Instrument);
    TResponseCode code = TResponseCode::Ack;
    if (instrument == nullptr) {
        code = TResponseCode::NoInstrument;
    } else if (!instrument->HasLayer()) {
        code = TResponseCode::NoLayer;
    } else if (const int n = instrument->FirstFreeNumber(); n == 0) {
        code = TResponseCode::MemoryFull;
    } else {
        instrument->Place(n, TWaveSample());
        request += " as " + std::to_string(n);
    }
    Answer(request, code);
}

bool TSamplerProtocol::IgnoredCreate(const std::string& request) {
    if (!Faults.IgnoreCreates) {
        return false;
    }
    Answer(request + " ignored", TResponseCode::Ack);
    return true;
}

void TSamplerProtocol::Close(TSysExReader& fields) {
    const TSamplerAddress address = ReadAddress(fields);
    const std::string request = "Close " + address.Text();
    if (Lookup(request, address) != nullptr) {
        Answer(request, TResponseCode::Ack);
    }
}

void TSamplerProtocol::ClearData(TSysExReader& fields) {
    Edit("ClearData", ReadRange(fields), "", TSampleEdits::Clear);
}

void TSamplerProtocol::CopyData(TSysExReader& fields) {
    const TSamplerAddress source = ReadAddress(fields);
    const TSamplerAddress destination = ReadAddress(fields);
    const std::uint32_t from = fields.Word24();
    const std::uint32_t to = fields.Word24();
    const std::uint32_t position = fields.Word24();
    const std::string request = "CopyData " + source.Text() + RangeText(from, to) + " to " +
                                destination.Text() + " at " + std::to_string(position);
    const TWaveSample* sourceSample = DataOwner(request, source);
    TWaveSample* target = sourceSample != nullptr ? DataOwner(request, destination) : nullptr;
    if (target == nullptr) {
        return;
    }
    TResponseCode code = TResponseCode::Ack;
    if (from > to) {
        code = TResponseCode::CannotServe;
    } else if (!Model.CanGrow(*target, std::size_t{position} + (to - from) + 1)) {
        code = TResponseCode::MemoryFull;
    } else {
        TSampleEdits::Copy(sourceSample->Data, from, to, target->Data, position);
    }
    Answer(request, code);
}

void TSamplerProtocol::ScaleData(TSysExReader& fields) {
    const TRange r = ReadRange(fields);
    const int startLevel = TSampleEdits::DecodeLevel(fields.Word24());
    const int endLevel = TSampleEdits::DecodeLevel(fields.Word24());
    const std::uint32_t depth = fields.Word12();
    Edit("ScaleData", r,
         " levels " + std::to_string(startLevel) + ".." + std::to_string(endLevel) + " depth " +
             std::to_string(depth),
         [&](TSampleEdits::TData& data, std::size_t start, std::size_t end) {
             TSampleEdits::Scale(data, start, end, startLevel, endLevel);
         });
}

void TSamplerProtocol::ReverseData(TSysExReader& fields) {
    Edit("ReverseData", ReadRange(fields), "", TSampleEdits::Reverse);
}

// Every shape is carried out as the linear one.
void TSamplerProtocol::FadeIn(TSysExReader& fields) {
    const TRange r = ReadRange(fields);
    fields.Byte();
    Edit("FadeIn", r, " shape " + std::to_string(fields.Byte()), TSampleEdits::FadeIn);
}

void TSamplerProtocol::FadeOut(TSysExReader& fields) {
    const TRange r = ReadRange(fields);
    fields.Byte();
    Edit("FadeOut", r, " shape " + std::to_string(fields.Byte()), TSampleEdits::FadeOut);
}

void TSamplerProtocol::Probe(TSysExReader& fields) {
    Answer("Probe " + std::to_string(fields.Word12()), TResponseCode::Ack);
}

// The whole wavesample, up to and including its end address.
void TSamplerProtocol::NormalizeGain(TSysExReader& fields) {
    const TSamplerAddress address = ReadAddress(fields);
    const std::string request = "NormalizeGain " + address.Text();
    if (TWaveSample* waveSample = DataOwner(request, address)) {
        const std::size_t end = std::size_t{waveSample->Address(TWaveSample::EndWord)} + 1;
        TSampleEdits::Normalize(waveSample->Data, end);
        Finish(request, std::min(end, waveSample->Data.size()));
    }
}

TSamplerAddress TSamplerProtocol::ReadAddress(TSysExReader& fields) {
    TSamplerAddress address;
    address.Instrument = static_cast<int>(fields.Word12());
    address.Layer = static_cast<int>(fields.Word12());
    address.WaveSample = static_cast<int>(fields.Word12());
    return address;
}

TSamplerProtocol::TRange TSamplerProtocol::ReadRange(TSysExReader& fields) {
    TRange range;
    range.Address = ReadAddress(fields);
    range.Start = fields.Word24();
    range.End = fields.Word24();
    return range;
}

TWaveSample* TSamplerProtocol::Lookup(const std::string& request, const TSamplerAddress& a) {
    TWaveSample* waveSample = nullptr;
    const TResponseCode code = Model.Find(a.Instrument, a.Layer, a.WaveSample, waveSample);
    if (code != TResponseCode::Ack) {
        Answer(request, code);
    }
    return waveSample;
}

TWaveSample* TSamplerProtocol::DataOwner(const std::string& request,
                                         const TSamplerAddress& address) {
    TWaveSample* waveSample = Lookup(request, address);
    if (waveSample != nullptr && waveSample->IsCopy()) {
        Answer(request, TResponseCode::IsCopy);
        return nullptr;
    }
    return waveSample;
}

TWaveSample* TSamplerProtocol::EditTarget(const std::string& request, const TRange& range) {
    TWaveSample* waveSample = DataOwner(request, range.Address);
    if (waveSample == nullptr) {
        return nullptr;
    }
    if (range.Start > range.End) {
        Answer(request, TResponseCode::CannotServe);
        return nullptr;
    }
    if (!Model.CanGrow(*waveSample, range.End)) {
        Answer(request, TResponseCode::MemoryFull);
        return nullptr;
    }
    return waveSample;
}

void TSamplerProtocol::Edit(const std::string& name, const TRange& range,
                            const std::string& details, const TEdit& edit) {
    const std::string request =
        name + " " + range.Address.Text() + RangeText(range.Start, range.End) + details;
    if (TWaveSample* waveSample = EditTarget(request, range)) {
        edit(waveSample->Data, range.Start, range.End);
        Finish(request, range.End - range.Start);
    }
}

void TSamplerProtocol::Finish(const std::string& request, std::size_t samples) {
    auto left = Timing.EditPerSample * static_cast<std::int64_t>(samples);
    int waits = 0;
    if (Timing.WaitThreshold.count() > 0 && left >= Timing.WaitThreshold) {
        Writer.Response(TResponseCode::Wait);
        ++waits;
        while (Timing.WaitInterval.count() > 0 && left > Timing.WaitInterval) {
            Link.Sleep(Timing.Real(Timing.WaitInterval));
            left -= Timing.WaitInterval;
            Writer.Response(TResponseCode::Wait);
            ++waits;
        }
        Link.Sleep(Timing.Real(left));
    }
    Answer(waits > 0 ? request + " after " + std::to_string(waits) + " waits" : request,
           TResponseCode::Ack);
}

void TSamplerProtocol::Answer(const std::string& request, TResponseCode code) {
    Writer.Response(code);
    Note(request + " -> " + std::to_string(static_cast<int>(code)));
}

void TSamplerProtocol::Hold(std::vector<std::uint16_t> words) {
    Pending.Await = TAwait::Ack;
    Pending.Words = std::move(words);
}

void TSamplerProtocol::Expect(TAwait await, const TSamplerAddress& address, std::uint32_t start,
                              std::size_t count) {
    Pending.Await = await;
    Pending.Address = address;
    Pending.Start = start;
    Pending.Count = count;
}

void TSamplerProtocol::Note(const std::string& line) const {
    if (Log) {
        Log(line);
    }
}
