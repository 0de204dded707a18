// The command line of tavimor-cli: the connection options, the command and
// its operands, all checked before anything talks to a device, so that a
// mistyped command costs no time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class TCliCommandKind {
    Devices,
    Probe,
    List,
    Params,
    Download,
    Backup,
    Restore,
    Upload,
    Rename,
    Edit,
};

enum class TEditOperation { Clear, Reverse, FadeIn, FadeOut, Normalize };

struct TCliArguments {
    // Connection options; empty when not given, so that the saved settings
    // apply.
    std::optional<std::string> In;
    std::optional<std::string> Out;
    std::optional<int> Channel;
    std::optional<int> BlockSize;
    std::optional<int> Delay;
    std::string TraceFile;
    bool Help = false;
    bool Version = false;

    TCliCommandKind Command = TCliCommandKind::Devices;
    bool Json = false;
    // After an upload or a restore, read the samples back and compare them.
    bool Verify = false;
    // An upload keeps the file's rate by the nearest period, unconverted.
    bool KeepRate = false;
    // 0..7, as the engine counts; the command line counts from 1. For a
    // restore, -1: the slot the backup was made from.
    int Instrument = 0;
    // backup all, restore all.
    bool All = false;
    // A restore may go over an instrument that is loaded.
    bool Replace = false;
    // 1..127; 0 for "new" (the instrument's first free slot).
    int WaveSample = 0;
    std::string File;
    std::string Name;
    TEditOperation Operation = TEditOperation::Normalize;
    // The inclusive range of an edit.
    std::int32_t First = 0;
    std::int32_t Last = 0;

    // Reads the arguments after the program's name; empty with the reason
    // when they do not make a command.
    static std::optional<TCliArguments> Parse(const std::vector<std::string>& arguments,
                                              std::string& error);
    static std::string Usage();
};
