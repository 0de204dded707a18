// Where a backup is written while it is made, and how it takes the place of
// an older one. Its files go into a folder beside the target, named as the
// target with ".incomplete" after it, which a restore never reads; only when
// every file and the manifest are there do they move into the target. An
// older backup in the target stays whole until then: it first stops being a
// backup (its manifest goes), then the new files replace its files, and the
// new manifest comes last. Other files in the target stay.
#pragma once

#include <filesystem>
#include <string>

class TBackupFolder {
public:
    explicit TBackupFolder(const std::filesystem::path& target);

    // The folder the backup is written into, made empty. False with the
    // reason.
    bool Prepare(std::string& problem);
    const std::filesystem::path& Staging() const { return StagingFolder; }
    const std::filesystem::path& Target() const { return TargetFolder; }
    // Moves the complete backup, its manifest written, into the target.
    // False with the reason.
    bool PutInPlace(std::string& problem);
    // Whether the target holds a backup that a restore reads.
    bool TargetHoldsBackup() const;

private:
    std::filesystem::path TargetFolder;
    std::filesystem::path StagingFolder;
};
