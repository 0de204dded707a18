#include "transfer/BackupFolder.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "platform/Utf8.h"
#include "transfer/InstrumentManifest.h"

namespace {

namespace fs = std::filesystem;

// The files a folder's manifest names; none when it has no manifest a
// restore would take.
std::vector<std::string> BackupFiles(const fs::path& folder) {
    std::string problem;
    const std::optional<TInstrumentManifest> manifest = TInstrumentManifest::Read(folder, problem);
    std::vector<std::string> files;
    if (manifest) {
        for (const TManifestWaveSample& waveSample : manifest->WaveSamples) {
            if (!waveSample.File.empty()) {
                files.push_back(waveSample.File);
            }
        }
    }
    return files;
}

// "a/b/" and "a/b/." name the folder b.
fs::path FolderPath(const fs::path& folder) {
    fs::path path = fs::absolute(folder).lexically_normal();
    return path.has_filename() ? path : path.parent_path();
}

} // namespace

TBackupFolder::TBackupFolder(const fs::path& target)
    : TargetFolder(target),
      StagingFolder(FolderPath(target).parent_path() /
                    TUtf8::Path(TUtf8::Text(FolderPath(target).filename()) + ".incomplete")) {}

bool TBackupFolder::Prepare(std::string& problem) {
    std::error_code error;
    fs::remove_all(StagingFolder, error);
    if (!error) {
        fs::create_directories(StagingFolder, error);
    }
    if (error) {
        problem =
            "Cannot make the folder " + TUtf8::Text(StagingFolder) + ": " + error.message() + ".";
        return false;
    }
    return true;
}

bool TBackupFolder::TargetHoldsBackup() const {
    std::error_code error;
    return fs::is_regular_file(TargetFolder / TInstrumentManifest::FileName, error);
}

bool TBackupFolder::PutInPlace(std::string& problem) {
    const std::vector<std::string> older = BackupFiles(TargetFolder);
    const std::vector<std::string> newer = BackupFiles(StagingFolder);
    std::error_code error;
    const auto failed = [&](const fs::path& path) {
        problem = "cannot move the backup into " + TUtf8::Text(TargetFolder) + " (" +
                  TUtf8::Text(path) + ": " + error.message() + "); it is complete in " +
                  TUtf8::Text(StagingFolder);
        return false;
    };
    fs::create_directories(TargetFolder, error);
    fs::remove(TargetFolder / TInstrumentManifest::FileName, error);
    if (error) {
        return failed(TargetFolder / TInstrumentManifest::FileName);
    }
    for (const std::string& file : newer) {
        fs::rename(StagingFolder / file, TargetFolder / file, error);
        if (error) {
            return failed(StagingFolder / file);
        }
    }
    for (const std::string& file : older) {
        if (std::find(newer.begin(), newer.end(), file) == newer.end()) {
            fs::remove(TargetFolder / file, error);
        }
    }
    fs::rename(StagingFolder / TInstrumentManifest::FileName,
               TargetFolder / TInstrumentManifest::FileName, error);
    if (error) {
        return failed(StagingFolder / TInstrumentManifest::FileName);
    }
    fs::remove_all(StagingFolder, error);
    return true;
}
