#include "cli/TransferCommands.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "cli/SamplerTexts.h"
#include "platform/Utf8.h"
#include "transfer/Download.h"
#include "transfer/InstrumentBackup.h"
#include "transfer/InstrumentRestore.h"
#include "transfer/Upload.h"
#include "transfer/Verify.h"

int DownloadCommand(TCliSession& session, const TCliArguments& arguments) {
    TEps& eps = session.Eps();
    TCliFrontEnd& front = session.FrontEnd();
    front.SetTarget(arguments.Instrument, arguments.WaveSample);
    front.Label = "Downloading";
    front.FileChoice = [&] {
        if (HighByte(eps.WaveSampleParameters[wpCopyOf]) != 0) {
            front.Problem = CopyText(eps);
            return std::string();
        }
        return arguments.File;
    };
    TDownload download(eps, front, session.UploadDownloadPath);
    return session.Finish(download.Run());
}

int BackupCommand(TCliSession& session, const TCliArguments& arguments) {
    if (!session.Connect()) {
        return esFailed;
    }
    TEps& eps = session.Eps();
    std::string problem;
    if (!ReadDirectory(eps, problem)) {
        return session.Fail(problem);
    }
    const std::filesystem::path folder = TUtf8::Path(arguments.File);
    std::vector<TInstrumentBackup::TTarget> targets;
    for (int i = 0; i < InstrumentCount; ++i) {
        const bool present = eps.InstrumentPresent[static_cast<std::size_t>(i)];
        if (arguments.All && present) {
            targets.push_back(
                {i, folder / TUtf8::Path(TInstrumentBackup::FolderName(
                                 i, eps.InstrumentName[static_cast<std::size_t>(i)]))});
        } else if (!arguments.All && i == arguments.Instrument) {
            if (!present) {
                return session.Fail("instrument " + std::to_string(i + 1) + " is not loaded");
            }
            targets.push_back({i, folder});
        }
    }
    if (targets.empty()) {
        return session.Fail("the sampler holds no instrument");
    }
    session.FrontEnd().Label = "Backing up";
    TInstrumentBackup backup(eps, session.FrontEnd(), session.UploadDownloadPath);
    return session.Finish(backup.Run(targets));
}

int RestoreCommand(TCliSession& session, const TCliArguments& arguments) {
    std::vector<TInstrumentRestore::TTarget> targets;
    const std::filesystem::path folder = TUtf8::Path(arguments.File);
    if (!arguments.All) {
        targets.push_back({folder, arguments.Instrument});
    } else {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            if (std::filesystem::is_regular_file(entry.path() / TInstrumentManifest::FileName)) {
                targets.push_back({entry.path(), -1});
            }
        }
        if (targets.empty()) {
            return session.Fail(TUtf8::Text(folder) +
                                " holds no instrument backups (folders with " +
                                TInstrumentManifest::FileName + ")");
        }
        std::sort(targets.begin(), targets.end(),
                  [](const auto& a, const auto& b) { return a.Folder < b.Folder; });
    }
    session.FrontEnd().Label = "Restoring";
    TInstrumentRestore restore(session.Eps(), session.FrontEnd(), session.UploadDownloadPath);
    restore.Replace = arguments.Replace;
    restore.Verify = arguments.Verify;
    restore.ReplaceAdvice = "use --replace to restore over it";
    return session.Finish(restore.Run(targets));
}

int UploadCommand(TCliSession& session, const TCliArguments& arguments) {
    TCliFrontEnd& front = session.FrontEnd();
    front.SetTarget(arguments.Instrument, arguments.WaveSample);
    front.Label = "Uploading";
    front.FileChoice = [&] { return arguments.File; };
    TEps& eps = session.Eps();
    const int delay = eps.Delay();
    TUpload upload(eps, front, session.UploadDownloadPath);
    upload.KeepRate = arguments.KeepRate;
    const TTransferReport report = upload.Run();
    const int status = session.Finish(report);
    // The desktop program keeps a raised delay in its settings; the tool
    // leaves them alone and says what to pass.
    if (eps.Delay() > delay) {
        std::cerr << "tavimor-cli: the sampler asked for more time between blocks; use --delay "
                  << eps.Delay() << " next time" << std::endl;
    }
    if (status != esSuccess || !arguments.Verify) {
        return status;
    }
    // The upload left its target in the engine.
    front.Label = "Verifying";
    TVerify verify(eps, front, arguments.File, report.Total);
    verify.KeepRate = arguments.KeepRate;
    return session.Finish(verify.Run());
}
