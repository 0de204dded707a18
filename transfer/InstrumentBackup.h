// Backs instruments up into folders: each wavesample with samples of its own
// into a WAVE file of its own, and the instrument's manifest with every
// parameter word beside them. One job for all the instruments asked for: the
// parameters of every wavesample are read first, so that the progress can
// show the whole job, then the samples come. A folder gets its manifest only
// once all its files are complete, and is put in place of an older backup
// only then (TBackupFolder), so a backup that stopped is never taken for a
// whole one and leaves the older one as it was.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "eps/Eps.h"
#include "transfer/InstrumentManifest.h"
#include "transfer/JobFrontEnd.h"
#include "transfer/TransferFrontEnd.h"

class TBackupFolder;

class TInstrumentBackup {
public:
    // One instrument (0..7) and the folder it goes to.
    struct TTarget {
        int Instrument = 0;
        std::filesystem::path Folder;
    };

    // uploadDownloadPath as the transfers keep it.
    TInstrumentBackup(TEps& eps, TTransferFrontEnd& frontEnd, std::string& uploadDownloadPath);

    // The directory must have been read. The report's Done and Total count
    // wavesamples.
    TTransferReport Run(const std::vector<TTarget>& targets);

    // "NN-Name.wav" for a wavesample's number and name, with every
    // character a file name had better not hold replaced.
    static std::string FileName(int waveSample, const std::string& name);
    // "N-Name" for the folder of instrument 0..7 in a backup of them all.
    static std::string FolderName(int instrument, const std::string& name);

private:
    // A target's manifest as far as the parameters go; false after setting
    // the report.
    bool ReadParameters(const TTarget& target, TInstrumentManifest& manifest);
    // The target's files, then its manifest.
    bool BackUp(const TTarget& target, const TInstrumentManifest& manifest);
    bool Download(const TBackupFolder& folder, const TInstrumentManifest& manifest,
                  const TManifestWaveSample& waveSample);
    bool Stop(const std::string& message, TTransferOutcome outcome = toFailed);
    std::string DoneText() const;

    TEps& Eps;
    TJobFrontEnd Job;
    std::string& UploadDownloadPath;
    TTransferReport Report;
    // The folders whose manifests were written, for the report.
    std::vector<std::string> Finished;
};
