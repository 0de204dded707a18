// Instrument backups and restores against the virtual sampler: a bank goes
// to folders and back without losing a word or a sample, a bad backup is
// refused before anything is sent, and a restore that stops says what it
// left.
#include "tests/transfer/TransferFixture.h"

#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>

#include "emulator/SamplerName.h"
#include "tests/support/RestoredInstrument.h"
#include "tests/support/SamplerPlacement.h"
#include "transfer/InstrumentBackup.h"
#include "transfer/InstrumentRestore.h"
#include "transfer/WaveFile.h"

namespace {

using nlohmann::json;

json ReadJson(const std::filesystem::path& file) {
    std::ifstream in(file);
    return json::parse(in);
}

void WriteJson(const std::filesystem::path& file, const json& document) {
    std::ofstream(file) << document.dump(1);
}

TSamples Ramp(std::size_t count, int step) {
    TSamples samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<std::int16_t>(static_cast<int>(i) * step % 50000 - 25000);
    }
    return samples;
}

class InstrumentBackupTest : public TransferTest {
protected:
    TTransferReport BackupAll(const std::filesystem::path& folder) {
        EXPECT_TRUE(Eps->CheckConnection());
        EXPECT_TRUE(Eps->ReadConfiguration());
        std::vector<TInstrumentBackup::TTarget> targets;
        for (int i = 0; i < InstrumentCount; ++i) {
            if (Eps->InstrumentPresent[static_cast<std::size_t>(i)]) {
                targets.push_back({i, folder / std::to_string(i + 1)});
            }
        }
        TInstrumentBackup backup(*Eps, FrontEnd, UploadDownloadPath);
        return backup.Run(targets);
    }

    TTransferReport Restore(const std::vector<TInstrumentRestore::TTarget>& targets,
                            bool replace = false) {
        TInstrumentRestore restore(*Eps, FrontEnd, UploadDownloadPath);
        restore.Replace = replace;
        restore.ReplaceAdvice = "say so";
        return restore.Run(targets);
    }

    std::vector<TInstrumentRestore::TTarget> EveryFolder(const std::filesystem::path& folder) {
        std::vector<TInstrumentRestore::TTarget> targets;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            targets.push_back({entry.path(), -1});
        }
        return targets;
    }

    void EmptyTheSampler() {
        Sampler().Inspect([](TSamplerModel& model) { model.Clear(); });
    }

    // Instrument 3: wavesamples 1 and 3 with slot 2 free, playing with
    // settings no default has. The first plays from sample 500 through
    // 2499 of its 3000; the second loops through its last sample.
    void PlaceOddInstrument() {
        Place(2, 1, Ramp(3000, 7), 500, 2499);
        Place(2, 3, Ramp(5000, 13), 0, 4999);
        Sampler().Inspect([](TSamplerModel& model) {
            TInstrument& instrument = *model.Instrument(2);
            instrument.SetName("ODD ONE");
            TInstrument::TParameters words = instrument.Parameters();
            words[20] = 0x1234;
            words[300] = 0x7F00;
            instrument.SetParameters(words);
            TWaveSample& third = *instrument.WaveSample(3);
            third.SetHigh(TWaveSample::PlaybackModeWord, 4); // loop and release
            third.SetAddress(TWaveSample::LoopStartWord, 1000);
            third.SetAddress(TWaveSample::LoopEndWord, 4999);
            // A loop beyond the end marker is the wavesample's memory too.
            TWaveSample& first = *instrument.WaveSample(1);
            first.SetHigh(TWaveSample::PlaybackModeWord, 2);
            first.SetAddress(TWaveSample::LoopStartWord, 2000);
            first.SetAddress(TWaveSample::LoopEndWord, 2799);
            third.SetHigh(TWaveSample::RootKeyWord, 110); // beyond its key range
            third.Parameters[40] = 0x2A17;
            third.Parameters[100] = 0x0101;
        });
    }
};

// Every instrument comes back as the sampler held it, head before the start
// marker and tail after the end included.
TEST_F(InstrumentBackupTest, ABankRestoredIntoAnEmptySamplerIsTheBankItWas) {
    PlaceOddInstrument();
    TSamplerModel original;
    Sampler().Inspect([&](TSamplerModel& model) { original = model; });
    const std::filesystem::path first = Folder / "first";
    const TTransferReport backup = BackupAll(first);
    ASSERT_EQ(backup.Outcome, toCompleted) << backup.Message;
    EXPECT_EQ(backup.Done, 6u); // the piano's copy has no file
    ASSERT_FALSE(FrontEnd.Steps.empty());
    EXPECT_EQ(FrontEnd.Steps.back(), "Wavesample 6 of 6, 238 of 238 KB");
    const json odd = ReadJson(first / "3" / TInstrumentManifest::FileName);
    EXPECT_EQ(odd["version"], 2);
    EXPECT_EQ(odd["waveSamples"][0]["first"], 0);
    EXPECT_EQ(odd["waveSamples"][0]["last"], 2799);
    EXPECT_EQ(odd["waveSamples"][1]["samples"], 5000);

    EmptyTheSampler();
    const TTransferReport restore = Restore(EveryFolder(first));
    ASSERT_EQ(restore.Outcome, toCompleted) << restore.Message;
    EXPECT_NE(restore.Message.find("slots 2 were free in the backup"), std::string::npos)
        << restore.Message;
    Sampler().Inspect([&](TSamplerModel& model) {
        for (int i = 0; i < TSamplerModel::InstrumentCount; ++i) {
            if (const TInstrument* instrument = original.Instrument(i)) {
                ASSERT_NE(model.Instrument(i), nullptr) << i;
                ExpectRestored(*model.Instrument(i), *instrument, i);
            }
        }
    });
}

TEST_F(InstrumentBackupTest, ABadBackupIsRefusedBeforeAnythingIsSent) {
    const std::filesystem::path good = Folder / "good";
    ASSERT_EQ(BackupAll(good).Outcome, toCompleted);
    const auto manifestOf = [](const std::filesystem::path& folder) {
        return folder / TInstrumentManifest::FileName;
    };
    const auto edit = [&](const std::function<void(json&)>& change) {
        return [=](const std::filesystem::path& folder) {
            json manifest = ReadJson(manifestOf(folder));
            change(manifest);
            WriteJson(manifestOf(folder), manifest);
        };
    };
    struct TCase {
        const char* Name;
        std::function<void(const std::filesystem::path&)> Damage;
        const char* Expected;
    };
    const TCase cases[] = {
        {"no manifest", [&](const auto& f) { std::filesystem::remove(manifestOf(f)); },
         "instrument.json: there is no such file"},
        {"not JSON", [&](const auto& f) { std::ofstream(manifestOf(f)) << "{\"format\": "; },
         "instrument.json: not a manifest (parse error"},
        {"another format", edit([](json& m) { m["format"] = "something else"; }),
         "it is not a Tavimor instrument backup"},
        {"instrument words short", edit([](json& m) { m["words"].erase(0); }),
         "the instrument holds 322 parameter words; 323 expected"},
        {"a word too large", edit([](json& m) { m["waveSamples"][0]["words"][5] = 70000; }),
         "wavesample 1, word 5 is not a whole number from 0 to 65535"},
        {"wavesample words short", edit([](json& m) { m["waveSamples"][1]["words"].erase(0); }),
         "wavesample 2 holds 138 parameter words; 139 expected"},
        {"a missing file", [](const auto& f) { std::filesystem::remove(f / "02-Rimshot.wav"); },
         "wavesample 2: 02-Rimshot.wav is missing"},
        {"a file elsewhere", edit([](json& m) { m["waveSamples"][0]["file"] = "../x.wav"; }),
         "wavesample 1 names no file of the backup's folder"},
        {"a copy of nothing",
         edit([](json& m) { m["waveSamples"][1]["words"][wpCopyOf] = 9 << 8; }),
         "wavesample 2 copies wavesample 9, which the backup holds no samples of"},
        {"a loop beyond the data",
         [](const auto& f) {
             const std::string file = (f / "01-Kick.wav").string();
             WriteWaveFile(file, 1, 16, 22050, std::vector<std::uint8_t>(200));
             TWaveLoop loop;
             loop.Loops = true;
             loop.End = 101;
             const std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(
                 std::fopen(file.c_str(), "r+b"), &std::fclose);
             WriteWaveLoop(stream.get(), loop);
         },
         "01-Kick.wav: its loop (frames 0..101) lies outside its 100 frames."},
        {"a file of another length",
         [](const auto& f) {
             WriteWaveFile((f / "02-Rimshot.wav").string(), 1, 16, 44642,
                           std::vector<std::uint8_t>(798));
         },
         "02-Rimshot.wav: it holds 399 samples; the backup's manifest says 400."},
        {"a slot that is not empty", [](const auto&) {},
         "Instrument 2 holds Drum Kit; nothing was restored (say so)."},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::filesystem::path damaged = Folder / "damaged";
        std::filesystem::remove_all(damaged);
        std::filesystem::copy(good / "2", damaged);
        c.Damage(damaged);
        const std::size_t logged = SamplerLog().size();

        const TTransferReport report = Restore({{damaged, -1}});

        EXPECT_EQ(report.Outcome, toFailed);
        EXPECT_NE(report.Message.find(c.Expected), std::string::npos) << report.Message;
        const std::vector<std::string> log = SamplerLog();
        for (auto line = log.begin() + static_cast<std::ptrdiff_t>(logged); line != log.end();
             ++line) {
            EXPECT_EQ(line->find("Create"), std::string::npos) << *line;
            EXPECT_EQ(line->find("Send"), std::string::npos) << *line;
        }
    }
}

TEST_F(InstrumentBackupTest, ARestoreThatStopsPartWaySaysWhatItLeft) {
    // 256K words of memory: the second wavesample no longer fits.
    Restart({.Kind = TSamplerKind::Eps, .DemoBank = false, .Timing = {}});
    Place(0, 1, Ramp(150000, 3), 0, 149999);
    Place(0, 2, Ramp(150000, 5), 0, 149999);
    const std::filesystem::path folder = Folder / "big";
    ASSERT_EQ(BackupAll(folder).Outcome, toCompleted);
    EmptyTheSampler();
    Place(0, 1, Ramp(100, 3), 0, 99); // something else takes memory meanwhile
    EmptyTheSampler();
    Place(5, 1, Ramp(20000, 3), 0, 19999);

    const TTransferReport report = Restore({{folder / "1", 0}});

    EXPECT_EQ(report.Outcome, toRefused);
    EXPECT_NE(report.Message.find("restored into instrument 1: wavesamples 1; not restored: "
                                  "wavesamples 2 and the instrument's own parameters. The "
                                  "instrument is named INCOMPLETE."),
              std::string::npos)
        << report.Message;
    EXPECT_EQ(InstrumentNameOf(0), "INCOMPLETE");
}

// A restore that finds its slot gone does not let the upload make another:
// the sampler would number it as it likes and the data would land in a
// wavesample the plan did not name.
TEST_F(InstrumentBackupTest, ARestoreWritesOnlyIntoTheSlotsItPlanned) {
    PlaceOddInstrument();
    const std::filesystem::path folder = Folder / "odd";
    ASSERT_EQ(BackupAll(folder).Outcome, toCompleted);
    EmptyTheSampler();
    bool gone = false;
    // Once the third wavesample's upload begins, the instrument is another,
    // without a layer.
    FrontEnd.OnEvents = [&] {
        if (!gone && Eps->UploadState != 0 && Eps->WaveSample == 3) {
            gone = true;
            Sampler().Inspect([](TSamplerModel& model) { model.CreateInstrument(2) = {}; });
        }
    };

    const TTransferReport report = Restore({{folder / "3", -1}});

    ASSERT_TRUE(gone);
    EXPECT_EQ(report.Outcome, toRefused);
    EXPECT_NE(report.Message.find("The sampler has no such layer; the restore writes only into "
                                  "the wavesample chosen and was stopped"),
              std::string::npos)
        << report.Message;
    EXPECT_FALSE(WaveSampleAt(2, 1));
    EXPECT_FALSE(WaveSampleAt(2, 3));
}

TEST_F(InstrumentBackupTest, ACancelledRestoreStillMarksItsInstrumentIncomplete) {
    // A slow cable: the answer to the block on its way comes after the cancel.
    TSamplerOptions options{.DemoBank = false, .Timing = {}};
    options.Timing.Baud = 31250;
    options.Timing.TimeScale = 10;
    Restart(options);
    Eps->SetBlockSize(2048);
    Place(0, 1, Ramp(3000, 3), 0, 2999);
    const std::filesystem::path folder = Folder / "slow";
    ASSERT_EQ(BackupAll(folder).Outcome, toCompleted);
    // Cancelled while the sampler is still taking in the first block.
    FrontEnd.OnEvents = [&] { FrontEnd.CancelRequested = Eps->UploadState == 7; };

    const TTransferReport report = Restore({{folder / "1", 4}});

    EXPECT_EQ(report.Outcome, toCancelled);
    // What the user stopped was the restore, not an upload of its own.
    EXPECT_EQ(report.Message.rfind("The restore was cancelled after ", 0), 0u) << report.Message;
    EXPECT_NE(report.Message.find("The instrument is named INCOMPLETE."), std::string::npos)
        << report.Message;
    EXPECT_EQ(InstrumentNameOf(4), "INCOMPLETE");
}

} // namespace
