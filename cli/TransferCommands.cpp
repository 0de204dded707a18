#include "cli/TransferCommands.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <span>

#include "cli/SamplerTexts.h"
#include "eps/Names.h"
#include "transfer/Download.h"
#include "transfer/Upload.h"
#include "transfer/Verify.h"

namespace {

int CopyOf(const TEps& eps) {
    return HighByte(eps.WaveSampleParameters[wpCopyOf]);
}

std::string NameOf(const TEps& eps) {
    return DecodeName(
        std::span<const std::int32_t, NameWords>(eps.WaveSampleParameters.begin(), NameWords));
}

// Downloads the target the front end holds into the file fileFor names; a
// parameters-only copy is declined, and skipped tells so.
TTransferReport RunDownload(TCliSession& session, const std::function<std::string()>& fileFor,
                            bool& skipped) {
    TEps& eps = session.Eps();
    TCliFrontEnd& front = session.FrontEnd();
    skipped = false;
    front.FileChoice = [&] {
        if (CopyOf(eps) != 0) {
            front.Problem = CopyText(eps);
            skipped = true;
            return std::string();
        }
        return fileFor();
    };
    TDownload download(eps, front, session.UploadDownloadPath);
    return download.Run();
}

} // namespace

std::string BackupFileName(int waveSample, const std::string& name) {
    char number[8];
    std::snprintf(number, sizeof number, "%02d-", waveSample);
    std::string safe;
    for (const char c : name) {
        const bool keep = std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '+';
        safe += keep ? c : '_';
    }
    return number + (safe.empty() ? std::string("Unnamed") : safe) + ".wav";
}

int DownloadCommand(TCliSession& session, const TCliArguments& arguments) {
    session.FrontEnd().SetTarget(arguments.Instrument, arguments.WaveSample);
    session.FrontEnd().Label = "Downloading";
    bool skipped = false;
    return session.Finish(RunDownload(
        session, [&] { return arguments.File; }, skipped));
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
    const auto instrument = static_cast<std::size_t>(arguments.Instrument);
    if (!eps.InstrumentPresent[instrument]) {
        return session.Fail("instrument " + std::to_string(instrument + 1) + " is not loaded");
    }
    const std::filesystem::path folder = arguments.File;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        return session.Fail("cannot make the folder " + folder.string() + ": " + error.message());
    }
    for (int j = 0; j < InstrumentSlots; ++j) {
        if (!eps.WaveSampleUsed[instrument][static_cast<std::size_t>(j)]) {
            continue;
        }
        session.FrontEnd().SetTarget(arguments.Instrument, j + 1);
        session.FrontEnd().Label = "Wavesample " + std::to_string(j + 1);
        bool skipped = false;
        const TTransferReport report = RunDownload(
            session, [&] { return (folder / BackupFileName(j + 1, NameOf(eps))).string(); },
            skipped);
        if (skipped) {
            std::cout << "Skipped: " << session.FrontEnd().Problem << "." << std::endl;
        } else if (session.Finish(report) != esSuccess) {
            return esFailed;
        }
    }
    return esSuccess;
}

int UploadCommand(TCliSession& session, const TCliArguments& arguments) {
    TCliFrontEnd& front = session.FrontEnd();
    front.SetTarget(arguments.Instrument, arguments.WaveSample);
    front.Label = "Uploading";
    front.FileChoice = [&] { return arguments.File; };
    TEps& eps = session.Eps();
    const int delay = eps.Delay();
    TUpload upload(eps, front, session.UploadDownloadPath);
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
    return session.Finish(verify.Run());
}
