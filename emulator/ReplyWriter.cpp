#include "emulator/ReplyWriter.h"

void TReplyWriter::Response(TResponseCode code) {
    Emit(Begin().Byte(0x01).Byte(0x00).Byte(static_cast<std::uint8_t>(code)).Finish());
}

void TReplyWriter::Header(std::uint8_t code, const TSamplerAddress& address) {
    Emit(BeginHeader(code, address).Finish());
}

void TReplyWriter::RangeHeader(std::uint8_t code, const TSamplerAddress& address,
                               std::uint32_t start, std::uint32_t end) {
    Emit(BeginHeader(code, address).Word24(start).Word24(end).Finish());
}

void TReplyWriter::Data(const std::vector<std::uint16_t>& words) {
    TSysExWriter message = Begin();
    for (const std::uint16_t word : words) {
        message.Word16(word);
    }
    Emit(message.Finish());
}

TSysExWriter TReplyWriter::Begin() const {
    return TSysExWriter(Faults.ReplyChannel != 0 ? Faults.ReplyChannel : Channel);
}

TSysExWriter TReplyWriter::BeginHeader(std::uint8_t code, const TSamplerAddress& address) const {
    const int instrument =
        Faults.WrongInstrument ? (address.Instrument + 1) % 8 : address.Instrument;
    TSysExWriter message = Begin();
    message.Byte(code).Word12(instrument).Word12(address.Layer).Word12(address.WaveSample);
    return message;
}

void TReplyWriter::Emit(std::vector<std::uint8_t> message) {
    if (Faults.Silent) {
        return;
    }
    if (Faults.Garbage) {
        // Data bytes that no parser can take for a message.
        for (std::uint8_t& byte : message) {
            Noise = Noise * 1664525u + 1013904223u;
            byte = static_cast<std::uint8_t>((Noise >> 24) & 0x7F);
        }
    }
    if (Faults.CutMessages) {
        message.resize(message.size() / 2);
    }
    Link.Send(message);
}
