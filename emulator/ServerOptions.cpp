#include "emulator/ServerOptions.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <type_traits>

namespace {

using TSetter = std::function<bool(TServerOptions&, const std::string&, std::string&)>;

bool ParseNumber(const std::string& text, double low, double high, double& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value) && value >= low &&
           value <= high;
}

template <typename TValue>
TSetter Number(double low, double high, const std::string& what,
               std::function<void(TServerOptions&, TValue)> set) {
    return [=](TServerOptions& options, const std::string& text, std::string& error) {
        double value = 0;
        if (!ParseNumber(text, low, high, value) ||
            (std::is_integral_v<TValue> && value != std::floor(value))) {
            error = what + ", not " + text;
            return false;
        }
        set(options, static_cast<TValue>(value));
        return true;
    };
}

TSetter FileName(const std::string& missing, std::string TServerOptions::*path) {
    return [=](TServerOptions& options, const std::string& text, std::string& error) {
        if (text.empty()) {
            error = missing;
            return false;
        }
        options.*path = text;
        return true;
    };
}

std::chrono::nanoseconds Microseconds(double us) {
    return std::chrono::nanoseconds(std::llround(us * 1000));
}

const std::map<std::string, TSetter>& Setters() {
    static const std::map<std::string, TSetter> setters = {
        {"--listen",
         [](TServerOptions& o, const std::string& text, std::string& error) {
             std::string reason;
             o.Listen = TSocketAddress::Parse(text, reason);
             if (!o.Listen) {
                 error = TSocketAddress::Looks(text)
                             ? "--listen " + text + ": " + reason
                             : "--listen takes " + std::string(TSocketAddress::Forms()) + ", not " +
                                   text;
             }
             return o.Listen.has_value();
         }},
        {"--raw-midi", FileName("--raw-midi needs a device file", &TServerOptions::RawMidiPath)},
        {"--model",
         [](TServerOptions& o, const std::string& text, std::string& error) {
             static const std::map<std::string, TSamplerKind> kinds = {
                 {"eps", TSamplerKind::Eps},
                 {"eps16", TSamplerKind::Eps16Plus},
                 {"asr", TSamplerKind::Asr}};
             const auto found = kinds.find(text);
             if (found == kinds.end()) {
                 error = "--model takes eps, eps16 or asr, not " + text;
                 return false;
             }
             o.Sampler.Kind = found->second;
             return true;
         }},
        {"--bank",
         [](TServerOptions& o, const std::string& text, std::string& error) {
             if (text != "demo" && text != "empty") {
                 error = "--bank takes demo or empty, not " + text;
                 return false;
             }
             o.Sampler.DemoBank = text == "demo";
             return true;
         }},
        {"--state", FileName("--state needs a file name", &TServerOptions::StatePath)},
        {"--channel", Number<int>(1, 16, "--channel takes 1 to 16",
                                  [](TServerOptions& o, int v) { o.Sampler.Channel = v; })},
        {"--baud", Number<std::uint32_t>(
                       0, 10'000'000, "--baud takes 0 (no limit) to 10000000",
                       [](TServerOptions& o, std::uint32_t v) { o.Sampler.Timing.Baud = v; })},
        {"--time-scale",
         Number<double>(0.001, 1e6, "--time-scale takes 0.001 to 1000000",
                        [](TServerOptions& o, double v) { o.Sampler.Timing.TimeScale = v; })},
        {"--edit-time", Number<double>(0, 1e6, "--edit-time takes 0 to 1000000 microseconds",
                                       [](TServerOptions& o, double v) {
                                           o.Sampler.Timing.EditPerSample = Microseconds(v);
                                       })},
        {"--block-time", Number<double>(0, 1e6, "--block-time takes 0 to 1000000 microseconds",
                                        [](TServerOptions& o, double v) {
                                            o.Sampler.Timing.BlockPerWord = Microseconds(v);
                                        })},
    };
    return setters;
}

bool ParseSwitch(const std::string& name, TServerOptions& options) {
    bool* const flag = name == "--log"            ? &options.Log
                       : name == "--virtual-port" ? &options.VirtualPort
                       : name == "--help"         ? &options.Help
                       : name == "--version"      ? &options.Version
                                                  : nullptr;
    if (flag != nullptr) {
        *flag = true;
    }
    return flag != nullptr;
}

} // namespace

bool TServerOptions::Parse(const std::vector<std::string>& arguments, TServerOptions& options,
                           std::string& error) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::string value;
        const std::size_t equals = name.find('=');
        const bool inlineValue = equals != std::string::npos;
        if (inlineValue) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (!inlineValue && ParseSwitch(name, options)) {
            continue;
        }
        const auto setter = Setters().find(name);
        if (setter == Setters().end()) {
            error = "unknown option " + arguments[i];
            return false;
        }
        if (!inlineValue && ++i == arguments.size()) {
            error = name + " needs a value";
            return false;
        }
        if (!setter->second(options, inlineValue ? value : arguments[i], error)) {
            return false;
        }
    }
    if (!options.Help && !options.Version && !options.Listen && options.RawMidiPath.empty() &&
        !options.VirtualPort) {
        error = "--listen ADDRESS, --raw-midi FILE or --virtual-port is required";
        return false;
    }
    if (options.Listen && !options.RawMidiPath.empty()) {
        error = "--listen and --raw-midi cannot be used together";
        return false;
    }
    return true;
}

std::string TServerOptions::Usage() {
    return "Usage: tavimor-virtual-eps (--listen ADDRESS | --raw-midi FILE) [options]\n"
           "A virtual Ensoniq EPS / EPS-16 Plus / ASR sampler that answers the editor's\n"
           "System Exclusive requests, serving one client at a time on a Unix socket or\n"
           "a loopback TCP port, or attached to a raw MIDI device as a sampler behind a\n"
           "MIDI interface.\n"
           "\n"
           "  --listen unix:PATH  the Unix socket to serve (a stale socket file is replaced;\n"
           "                      not on Windows)\n"
           "  --listen tcp:127.0.0.1:PORT\n"
           "                      the TCP port to serve on this computer only; port 0\n"
           "                      takes a free one, which the program prints\n"
           "  --raw-midi FILE     read requests from and write replies to a raw MIDI\n"
           "                      device file, such as /dev/snd/midiC0D0\n"
           "  --model eps|eps16|asr\n"
           "                      memory of 256K, 1M or 8M words (default eps16)\n"
           "  --channel N         base channel 1..16 (default 1)\n"
           "  --bank demo|empty   what the memory starts with (default demo)\n"
           "  --state FILE        load the memory from FILE if it exists, save it on exit\n"
           "  --baud N            simulated cable speed, 31250 for MIDI (default 0: no limit)\n"
           "  --time-scale X      let simulated time pass X times faster (default 1)\n"
           "  --edit-time US      edit processing time per sample in microseconds (default 2);\n"
           "                      edits taking 250 ms or more answer with wait responses first\n"
           "  --block-time US     time to store one uploaded word (default 0); a block that\n"
           "                      comes sooner is refused as too fast\n"
           "  --log               print one line per handled request\n"
           "  --virtual-port      also offer an ALSA sequencer port \"Virtual EPS\"\n"
           "  --help              show this text\n"
           "  --version           print the program's name and version\n";
}
