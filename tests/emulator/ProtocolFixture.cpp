#include "tests/emulator/ProtocolFixture.h"

#include "emulator/SysExReader.h"

std::vector<TBytes> SplitMessages(const TBytes& bytes) {
    std::vector<TBytes> messages;
    TBytes current;
    for (const std::uint8_t byte : bytes) {
        current.push_back(byte);
        if (byte == 0xF7) {
            messages.push_back(std::move(current));
            current.clear();
        }
    }
    if (!current.empty()) {
        messages.push_back(std::move(current));
    }
    return messages;
}

TBytes Response(std::uint8_t code) {
    return {0xF0, 0x0F, 0x03, 0x00, 0x01, 0x00, code, 0xF7};
}

TBytes AddressRequest(std::uint8_t code, int instrument, int layer, int waveSample) {
    return TSysExWriter(1).Byte(code).Word12(instrument).Word12(layer).Word12(waveSample).Finish();
}

TBytes RangeRequest(std::uint8_t code, int instrument, int waveSample, std::uint32_t start,
                    std::uint32_t end) {
    TBytes request = AddressRequest(code, instrument, 0, waveSample);
    request.pop_back();
    TSysExWriter fields(1);
    const TBytes range = fields.Word24(start).Word24(end).Finish();
    request.insert(request.end(), range.begin() + 4, range.end());
    return request;
}

TBytes CopyRequest(int instrument, int waveSample, std::uint32_t from, std::uint32_t to,
                   std::uint32_t position) {
    return TSysExWriter(1)
        .Byte(32)
        .Word12(instrument)
        .Word12(0)
        .Word12(waveSample)
        .Word12(instrument)
        .Word12(0)
        .Word12(waveSample)
        .Word24(from)
        .Word24(to)
        .Word24(position)
        .Finish();
}

TBytes DataMessage(const std::vector<std::uint16_t>& words) {
    TSysExWriter message(1);
    for (const std::uint16_t word : words) {
        message.Word16(word);
    }
    return message.Finish();
}

std::vector<std::uint16_t> WordsOf(const TBytes& message) {
    TSysExReader reader(message);
    std::vector<std::uint16_t> words((message.size() - 5) / 3);
    for (std::uint16_t& word : words) {
        word = static_cast<std::uint16_t>(reader.Word16());
    }
    return words;
}

void ProtocolTest::Restart(int channel) {
    Protocol = std::make_unique<TSamplerProtocol>(Model, Link, channel, Timing);
}

std::vector<TBytes> ProtocolTest::Exchange(const TBytes& message) {
    Link.Bytes.clear();
    Protocol->Receive(message);
    return SplitMessages(Link.Bytes);
}

TBytes ProtocolTest::Fetch(const TBytes& request) {
    const auto replies = Exchange(request);
    EXPECT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies.front(), Response(0));
    const auto data = Exchange(Ack);
    EXPECT_EQ(data.size(), 1u);
    return data.empty() ? TBytes{} : data.front();
}

TWaveSample& ProtocolTest::Place(int instrument, int number, std::vector<std::int16_t> data) {
    TInstrument& slot = Model.CreateInstrument(instrument);
    slot.CreateLayer();
    TWaveSample waveSample;
    waveSample.SetAddress(TWaveSample::EndWord, static_cast<std::uint32_t>(data.size() - 1));
    waveSample.Data = std::move(data);
    return slot.Place(number, std::move(waveSample));
}

TWaveSample& ProtocolTest::At(int instrument, int number) {
    TWaveSample* found = nullptr;
    EXPECT_EQ(Model.Find(instrument, 0, number, found), TResponseCode::Ack);
    return *found;
}
