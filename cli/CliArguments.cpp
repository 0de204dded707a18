#include "cli/CliArguments.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <map>

namespace {

constexpr int InstrumentCount = 8;
constexpr int WaveSampleCount = 127;
constexpr std::size_t NameLength = 12;

bool ParseInteger(const std::string& text, long long low, long long high, long long& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end && value >= low &&
           value <= high;
}

// A number within low..high, or the reason it is not.
bool Number(const std::string& text, long long low, long long high, const std::string& what,
            long long& value, std::string& error) {
    if (!ParseInteger(text, low, high, value)) {
        error = what + " must be " + std::to_string(low) + " to " + std::to_string(high) +
                ", not \"" + text + "\"";
        return false;
    }
    return true;
}

template <typename T>
bool Number(const std::string& text, long long low, long long high, const std::string& what,
            T& value, std::string& error) {
    long long wide = 0;
    if (!Number(text, low, high, what, wide, error)) {
        return false;
    }
    value = static_cast<T>(wide);
    return true;
}

bool Instrument(const std::string& text, TCliArguments& a, std::string& error) {
    if (!Number(text, 1, InstrumentCount, "INST", a.Instrument, error)) {
        return false;
    }
    --a.Instrument;
    return true;
}

bool WaveSample(const std::string& text, TCliArguments& a, std::string& error) {
    return Number(text, 1, WaveSampleCount, "WS", a.WaveSample, error);
}

bool Operation(const std::string& text, TEditOperation& operation, std::string& error) {
    static const std::map<std::string, TEditOperation> operations = {
        {"clear", TEditOperation::Clear},
        {"reverse", TEditOperation::Reverse},
        {"fade-in", TEditOperation::FadeIn},
        {"fade-out", TEditOperation::FadeOut},
        {"normalize", TEditOperation::Normalize}};
    const auto found = operations.find(text);
    if (found == operations.end()) {
        error = "OP must be clear, reverse, fade-in, fade-out or normalize, not \"" + text + "\"";
        return false;
    }
    operation = found->second;
    return true;
}

bool EditOperands(const std::vector<std::string>& o, TCliArguments& a, std::string& error) {
    if (!Instrument(o[0], a, error) || !WaveSample(o[1], a, error) ||
        !Operation(o[2], a.Operation, error)) {
        return false;
    }
    const bool whole = a.Operation == TEditOperation::Normalize;
    if (whole != (o.size() == 3)) {
        error = whole ? "normalize works on the whole wavesample and takes no range"
                      : o[2] + " needs FIRST and LAST";
        return false;
    }
    if (whole) {
        return true;
    }
    constexpr long long Highest = 0xFFFFFF; // what a range field carries
    if (!Number(o[3], 0, Highest, "FIRST", a.First, error) ||
        !Number(o[4], 0, Highest, "LAST", a.Last, error)) {
        return false;
    }
    if (a.Last < a.First) {
        error = "LAST must not be below FIRST";
        return false;
    }
    return true;
}

bool UploadOperands(const std::vector<std::string>& o, TCliArguments& a, std::string& error) {
    a.File = o[0];
    if (!Instrument(o[1], a, error)) {
        return false;
    }
    if (o[2] == "new") {
        a.WaveSample = 0;
        return true;
    }
    return WaveSample(o[2], a, error);
}

// "all DIR", or what takes the place of all.
bool AllOr(const std::vector<std::string>& o, TCliArguments& a, std::string& error,
           const std::function<bool()>& one) {
    if (o[0] != "all") {
        return one();
    }
    if (o.size() != 2) {
        error = "all takes one folder";
        return false;
    }
    a.All = true;
    a.File = o[1];
    return true;
}

bool BackupOperands(const std::vector<std::string>& o, TCliArguments& a, std::string& error) {
    return AllOr(o, a, error, [&] {
        a.File = o[1];
        return Instrument(o[0], a, error);
    });
}

bool RestoreOperands(const std::vector<std::string>& o, TCliArguments& a, std::string& error) {
    return AllOr(o, a, error, [&] {
        a.File = o[0];
        a.Instrument = -1;
        return o.size() == 1 || Instrument(o[1], a, error);
    });
}

bool RenameOperands(const std::vector<std::string>& o, TCliArguments& a, std::string& error) {
    if (!Instrument(o[0], a, error)) {
        return false;
    }
    if (o[1].size() > NameLength) {
        error = "NAME holds at most 12 characters";
        return false;
    }
    a.Name = o[1];
    return true;
}

using TOperandParser =
    std::function<bool(const std::vector<std::string>&, TCliArguments&, std::string&)>;

struct TCommandSyntax {
    TCliCommandKind Kind;
    std::size_t Fewest;
    std::size_t Most;
    std::string Operands;
    TOperandParser Parse;
};

bool NoOperands(const std::vector<std::string>&, TCliArguments&, std::string&) {
    return true;
}

const std::map<std::string, TCommandSyntax>& Commands() {
    using K = TCliCommandKind;
    using V = std::vector<std::string>;
    static const std::map<std::string, TCommandSyntax> commands = {
        {"devices", {K::Devices, 0, 0, "", NoOperands}},
        {"probe", {K::Probe, 0, 0, "", NoOperands}},
        {"list", {K::List, 0, 0, "[--json]", NoOperands}},
        {"params",
         {K::Params, 2, 2, "INST WS [--json]",
          [](const V& o, TCliArguments& a, std::string& e) {
              return Instrument(o[0], a, e) && WaveSample(o[1], a, e);
          }}},
        {"download",
         {K::Download, 3, 3, "INST WS FILE.wav",
          [](const V& o, TCliArguments& a, std::string& e) {
              a.File = o[2];
              return Instrument(o[0], a, e) && WaveSample(o[1], a, e);
          }}},
        {"backup", {K::Backup, 2, 2, "(INST|all) DIR", BackupOperands}},
        {"restore", {K::Restore, 1, 2, "DIR [INST] | restore all DIR", RestoreOperands}},
        {"upload", {K::Upload, 3, 3, "FILE INST (WS|new)", UploadOperands}},
        {"rename", {K::Rename, 2, 2, "INST NAME", RenameOperands}},
        {"edit", {K::Edit, 3, 5, "INST WS OP [FIRST LAST]", EditOperands}},
    };
    return commands;
}

// Options that take a value, and where each value goes.
using TOptionSetter = std::function<bool(TCliArguments&, const std::string&, std::string&)>;

TOptionSetter Bounded(const std::string& name, int low, int high,
                      std::optional<int> TCliArguments::*field) {
    return [=](TCliArguments& a, const std::string& text, std::string& error) {
        int value = 0;
        if (!Number(text, low, high, name, value, error)) {
            return false;
        }
        a.*field = value;
        return true;
    };
}

// A device for one or two of the ports.
TOptionSetter Device(std::optional<std::string> TCliArguments::*first,
                     std::optional<std::string> TCliArguments::*second) {
    return [=](TCliArguments& a, const std::string& text, std::string&) {
        a.*first = text;
        if (second != nullptr) {
            a.*second = text;
        }
        return true;
    };
}

const std::map<std::string, TOptionSetter>& ValueOptions() {
    static const std::map<std::string, TOptionSetter> options = {
        {"--in", Device(&TCliArguments::In, nullptr)},
        {"--out", Device(&TCliArguments::Out, nullptr)},
        {"--device", Device(&TCliArguments::In, &TCliArguments::Out)},
        {"--trace",
         [](TCliArguments& a, const std::string& v, std::string&) {
             a.TraceFile = v;
             return true;
         }},
        {"--channel", Bounded("--channel", 1, 16, &TCliArguments::Channel)},
        {"--block-size", Bounded("--block-size", 256, 10240, &TCliArguments::BlockSize)},
        {"--delay", Bounded("--delay", 0, 4000, &TCliArguments::Delay)},
    };
    return options;
}

// Options without a value: the field each sets, and the commands it goes
// with (none listed: any) as the message names them.
struct TFlag {
    bool TCliArguments::*Field;
    std::vector<TCliCommandKind> Commands;
    std::string With;
};

const std::map<std::string, TFlag>& Flags() {
    using K = TCliCommandKind;
    static const std::map<std::string, TFlag> flags = {
        {"--help", {&TCliArguments::Help, {}, {}}},
        {"-h", {&TCliArguments::Help, {}, {}}},
        {"--version", {&TCliArguments::Version, {}, {}}},
        {"--json", {&TCliArguments::Json, {K::List, K::Params}, "list and params"}},
        {"--replace", {&TCliArguments::Replace, {K::Restore}, "restore"}},
        {"--keep-rate", {&TCliArguments::KeepRate, {K::Upload}, "upload"}},
        {"--verify", {&TCliArguments::Verify, {K::Upload, K::Restore}, "upload and restore"}},
    };
    return flags;
}

// One option at arguments[i]; moves i past a separate value.
bool TakeOption(const std::vector<std::string>& arguments, std::size_t& i, TCliArguments& a,
                std::string& error) {
    std::string name = arguments[i];
    std::optional<std::string> value;
    if (const std::size_t equals = name.find('='); equals != std::string::npos) {
        value = name.substr(equals + 1);
        name.resize(equals);
    }
    if (const auto flag = Flags().find(name); flag != Flags().end() && !value) {
        a.*flag->second.Field = true;
        return true;
    }
    const auto option = ValueOptions().find(name);
    if (option == ValueOptions().end()) {
        error = "unknown option " + arguments[i];
        return false;
    }
    if (!value) {
        if (++i == arguments.size()) {
            error = name + " needs a value";
            return false;
        }
        value = arguments[i];
    }
    return option->second(a, *value, error);
}

bool ApplyCommand(const std::vector<std::string>& words, TCliArguments& a, std::string& error) {
    if (words.empty()) {
        error = "no command given";
        return false;
    }
    const auto found = Commands().find(words[0]);
    if (found == Commands().end()) {
        error = "unknown command " + words[0];
        return false;
    }
    const TCommandSyntax& syntax = found->second;
    const std::vector<std::string> operands(words.begin() + 1, words.end());
    if (operands.size() < syntax.Fewest || operands.size() > syntax.Most) {
        error = "usage: tavimor-cli [options] " + words[0] +
                (syntax.Operands.empty() ? "" : " " + syntax.Operands);
        return false;
    }
    for (const auto& [name, flag] : Flags()) {
        const auto& kinds = flag.Commands;
        if (a.*flag.Field && !kinds.empty() &&
            std::find(kinds.begin(), kinds.end(), syntax.Kind) == kinds.end()) {
            error = name + " goes with " + flag.With + " only";
            return false;
        }
    }
    a.Command = syntax.Kind;
    return syntax.Parse(operands, a, error);
}

} // namespace

std::optional<TCliArguments> TCliArguments::Parse(const std::vector<std::string>& arguments,
                                                  std::string& error) {
    TCliArguments parsed;
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            if (!TakeOption(arguments, i, parsed, error)) {
                return std::nullopt;
            }
        } else {
            words.push_back(argument);
        }
    }
    if (parsed.Help || parsed.Version) {
        return parsed;
    }
    if (!ApplyCommand(words, parsed, error)) {
        return std::nullopt;
    }
    return parsed;
}

std::string TCliArguments::Usage() {
    return "Usage: tavimor-cli [options] COMMAND ...\n"
           "Backs up, loads and edits the wavesamples of an Ensoniq EPS, EPS-16 Plus or ASR\n"
           "over MIDI System Exclusive.\n"
           "\n"
           "Commands:\n"
           "  devices                        list MIDI input and output devices with their\n"
           "                                 numbers\n"
           "  probe                          connection check: exit 0 when the sampler answers\n"
           "  list [--json]                  instruments and their used wavesamples\n"
           "  params INST WS [--json]        name, start, end, loop start, loop end, playback\n"
           "                                 mode (word 114), rate, root key, key range, copy-of\n"
           "  download INST WS FILE.wav      save one wavesample\n"
           "  backup INST DIR                save an instrument: each wavesample with samples\n"
           "                                 as DIR/NN-Name.wav, every parameter word (also\n"
           "                                 of parameters-only copies) in DIR/instrument.json\n"
           "  backup all DIR                 every loaded instrument, as DIR/N-Name/\n"
           "  restore DIR [INST]             rebuild a backed-up instrument in slot INST\n"
           "                                 (default: the slot it came from), which must be\n"
           "                                 empty unless --replace is given\n"
           "  restore all DIR                every DIR/N-Name/ backup into slot N\n"
           "  upload FILE INST (WS|new)      send a sound file (WAVE, AIFF, FLAC, Ogg, MP3...)\n"
           "                                 into a wavesample; new is the instrument's first\n"
           "                                 free slot\n"
           "  rename INST NAME               at most 12 characters of A-Z 0-9 * - + and blank\n"
           "  edit INST WS OP [FIRST LAST]   OP: clear, reverse, fade-in, fade-out (inclusive\n"
           "                                 sample range), normalize (whole wavesample)\n"
           "\n"
           "INST is 1..8 as the browser shows instruments, WS 1..127.\n"
           "\n"
           "Options (defaults from the desktop program's saved settings, if any):\n"
           "  --in DEV          MIDI input device\n"
           "  --out DEV         MIDI output device\n"
           "  --device DEV      both; DEV is a device number, a unique part of a device's\n"
           "                    name (\"Virtual EPS\" is the built-in sampler), or the\n"
           "                    socket of a tavimor-virtual-eps: unix:PATH (not on\n"
           "                    Windows) or tcp:127.0.0.1:PORT\n"
           "  --channel N       the sampler's MIDI channel, 1..16\n"
           "  --block-size N    words per transfer block, 256..10240\n"
           "  --delay MS        pause before each upload block, 0..4000\n"
           "  --trace FILE      write the protocol trace to FILE\n"
           "  --replace         restore over an instrument that is loaded; its wavesamples\n"
           "                    that the backup lacks stay\n"
           "  --verify          read what an upload or a restore sent back and compare it\n"
           "                    sample for sample (doubles its time)\n"
           "  --keep-rate       upload at the nearest period to the file's rate instead of\n"
           "                    converting it to a rate the sampler plays at its pitch\n"
           "  --help            show this text\n"
           "  --version         print the program's name and version\n"
           "\n"
           "Exit status: 0 success, 1 the sampler refused or fell silent or a file is bad\n"
           "(the reason on stderr), 2 usage error.\n";
}
