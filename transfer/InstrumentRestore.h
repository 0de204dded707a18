// Puts backed-up instruments back: checks every manifest and file before
// anything is sent, then for each instrument creates it where needed, makes
// its wavesample slots in the numbers they had, uploads the samples, writes
// the parameters of the copies and of the wavesamples without samples, and
// last the instrument's own words, with the slot-occupancy words kept as the
// sampler now has them. An instrument is named only by that last write, and
// one that stopped part-way is renamed INCOMPLETE, so nothing half-restored
// looks like the instrument it was meant to be.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "eps/Eps.h"
#include "transfer/InstrumentManifest.h"
#include "transfer/JobFrontEnd.h"
#include "transfer/TransferFrontEnd.h"

class TInstrumentRestore {
public:
    struct TTarget {
        std::filesystem::path Folder;
        // 0..7; -1 for the slot the backup was made from.
        int Instrument = -1;
    };

    TInstrumentRestore(TEps& eps, TTransferFrontEnd& frontEnd, std::string& uploadDownloadPath);

    // Whether an instrument already in a target slot may be restored over;
    // its wavesamples beyond the backup's stay.
    bool Replace = false;
    // How to ask for that, for the refusal of a slot that is not empty.
    std::string ReplaceAdvice;
    // Read every upload back and compare it.
    bool Verify = false;

    // The report's Done and Total count the wavesamples with samples.
    TTransferReport Run(const std::vector<TTarget>& targets);

    // The name a restore that stopped part-way leaves on its instrument.
    static constexpr const char* IncompleteName = "INCOMPLETE";

private:
    struct TPlan {
        TInstrumentManifest Manifest;
        std::filesystem::path Folder;
        int Instrument = 0;
    };

    // Everything that can be checked without the sampler; false after
    // setting the report.
    bool CheckBackups(const std::vector<TTarget>& targets);
    bool CheckSlots();
    bool Restore(const TPlan& plan);
    bool CreateInstrument(const TPlan& plan);
    bool CreateSlots(const TPlan& plan);
    // One create request answered; with rrNoLayer the layer is made first.
    bool Create(const TPlan& plan, void (TEps::*request)(), const std::string& what);
    bool Upload(const TPlan& plan, const TManifestWaveSample& waveSample);
    bool CheckUpload(const TPlan& plan, const TManifestWaveSample& waveSample);
    bool WriteWaveSampleWords(const TPlan& plan, const TManifestWaveSample& waveSample);
    bool WriteInstrumentWords(const TPlan& plan);
    // Ends the job with message, telling what of the plan was restored.
    bool Stop(const TPlan& plan, const std::string& message, TTransferOutcome outcome);
    // Stop after a parameter block (what) was not written.
    bool StopUnwritten(const TPlan& plan, TWriteResult result, const std::string& what);
    bool Fail(const std::string& message);
    std::string DoneText() const;

    TEps& Eps;
    TJobFrontEnd Job;
    std::string& UploadDownloadPath;
    TTransferReport Report;
    std::vector<TPlan> Plans;
    // Of the instrument being restored: what the sampler holds of it so far.
    bool Changed = false;
    std::vector<int> Restored;
    // Slots free in the backup that the sampler's numbering filled.
    std::vector<int> Fillers;
    std::vector<std::string> Finished;
};
