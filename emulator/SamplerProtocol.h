// The sampler's side of the System Exclusive dialogue. Bytes from the editor
// go in; the requests on the sampler's base channel are carried out on the
// model and answered through the link. Messages of other channels or other
// devices are ignored, and malformed or cut-short ones are dropped without a
// reply, as on the real instrument.
//
// Two dialogue states span more than one message: after a data header the
// sampler holds the data message back until the editor acknowledges the
// header, and after accepting a 12, 14 or 15 header it takes the next message
// of the announced length as the data. Any other message ends either state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "emulator/MidiStreamParser.h"
#include "emulator/ReplyWriter.h"
#include "emulator/SampleEdits.h"
#include "emulator/SamplerAddress.h"
#include "emulator/SamplerModel.h"
#include "emulator/SamplerTiming.h"
#include "emulator/SysExReader.h"

class TSamplerProtocol : private TMidiStreamParser::TReceiver {
public:
    // What the channel messages on the base channel have set.
    struct TPerformance {
        int Program = -1;
        int Instrument = 0;
        int Key = -1;
        int Velocity = 0;
        bool Sounding = false;
    };
    using TLog = std::function<void(const std::string&)>;

    // channel: the base channel, 1..16.
    TSamplerProtocol(TSamplerModel& model, TSamplerLink& link, int channel,
                     const TSamplerTiming& timing);

    void Receive(std::span<const std::uint8_t> bytes);
    // A new connection: no message in progress, no dialogue pending.
    void Reset();
    void SetFaults(const TSamplerFaults& faults) {
        Faults = faults;
        Writer.SetFaults(faults);
    }
    // Called with one line for each request handled.
    void SetLog(TLog log) { Log = std::move(log); }

    int Channel() const { return BaseChannel; }
    const TPerformance& Performance() const { return Played; }

private:
    enum class TAwait { Nothing, Ack, InstrumentBlock, ParameterBlock, SampleBlock };
    struct TDialogue {
        TAwait Await = TAwait::Nothing;
        TSamplerAddress Address;
        std::uint32_t Start = 0;
        std::size_t Count = 0;
        std::vector<std::uint16_t> Words; // the data message held back
    };
    struct TRequest {
        std::uint8_t Code;
        std::size_t FieldBytes;
        void (TSamplerProtocol::*Handle)(TSysExReader&);
    };
    // The fields every wavesample edit starts with.
    struct TRange {
        TSamplerAddress Address;
        std::uint32_t Start = 0;
        std::uint32_t End = 0;
    };

    void SysEx(std::span<const std::uint8_t> message) override;
    void Short(std::span<const std::uint8_t> message) override;
    bool IsOurs(std::span<const std::uint8_t> message) const;
    static const TRequest* Find(std::uint8_t code);
    void TakeData(std::span<const std::uint8_t> message);
    void StoreData(const std::vector<std::uint16_t>& words);

    void Ack(TSysExReader& fields);
    void GetInstrumentParameters(TSysExReader& fields);
    void GetWaveSampleParameters(TSysExReader& fields);
    void GetWaveSampleData(TSysExReader& fields);
    void GetWaveSampleOverview(TSysExReader& fields);
    void PutInstrumentParameters(TSysExReader& fields);
    void PutWaveSampleParameters(TSysExReader& fields);
    void PutWaveSampleData(TSysExReader& fields);
    void CreateInstrument(TSysExReader& fields);
    void CreateLayer(TSysExReader& fields);
    void CreateWaveSample(TSysExReader& fields);
    // Acknowledges a create request without creating, when told to.
    bool IgnoredCreate(const std::string& request);
    void Close(TSysExReader& fields);
    void ClearData(TSysExReader& fields);
    void CopyData(TSysExReader& fields);
    void ScaleData(TSysExReader& fields);
    void ReverseData(TSysExReader& fields);
    void FadeIn(TSysExReader& fields);
    void FadeOut(TSysExReader& fields);
    void Probe(TSysExReader& fields);
    void NormalizeGain(TSysExReader& fields);

    static TSamplerAddress ReadAddress(TSysExReader& fields);
    static TRange ReadRange(TSysExReader& fields);
    // The wavesample at an address, or null after the refusal that names
    // what is missing has gone out.
    TWaveSample* Lookup(const std::string& request, const TSamplerAddress& address);
    // The wavesample at an address whose data a request wants, or null after
    // the refusal has gone out.
    TWaveSample* DataOwner(const std::string& request, const TSamplerAddress& address);
    // The wavesample of an edit of [start, end), grown as far as the range
    // reaches, or null after the refusal has gone out.
    TWaveSample* EditTarget(const std::string& request, const TRange& range);
    // Carries out an edit of a range and answers it.
    using TEdit = std::function<void(TSampleEdits::TData&, std::size_t, std::size_t)>;
    void Edit(const std::string& name, const TRange& range, const std::string& details,
              const TEdit& edit);
    // Answers an edit of `samples` samples once its processing time is over.
    void Finish(const std::string& request, std::size_t samples);
    void Answer(const std::string& request, TResponseCode code);
    // Keeps a data message back until the editor acknowledges its header.
    void Hold(std::vector<std::uint16_t> words);
    void Expect(TAwait await, const TSamplerAddress& address, std::uint32_t start,
                std::size_t count);
    void Note(const std::string& line) const;

    static const TRequest Requests[];

    TSamplerModel& Model;
    TSamplerLink& Link;
    const int BaseChannel;
    const TSamplerTiming Timing;
    TReplyWriter Writer;
    TSamplerFaults Faults;
    TMidiStreamParser Parser;
    TDialogue Pending;
    // Until then the sampler is still storing the last uploaded block.
    TSamplerLink::TClock::time_point BusyUntil{};
    TPerformance Played;
    TLog Log;
};
