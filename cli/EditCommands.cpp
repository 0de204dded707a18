#include "cli/EditCommands.h"

#include <iostream>
#include <span>

#include "cli/SamplerTexts.h"
#include "eps/Names.h"
#include "eps/ReplyText.h"

namespace {

std::string InstrumentText(int instrument) {
    return "instrument " + std::to_string(instrument + 1);
}

// The ranges the Edit menu sends for an inclusive selection: every edit
// takes an exclusive end, except that Fade In passes the last sample itself.
void SendEdit(TEps& eps, const TCliArguments& a) {
    const TSampleRange range{a.First, a.Last};
    switch (a.Operation) {
    case TEditOperation::Clear:
        eps.ClearData(range.First, range.End());
        break;
    case TEditOperation::Reverse:
        eps.ReverseData(range.First, range.End());
        break;
    case TEditOperation::FadeIn:
        eps.FadeIn(range.First, range.Last, 0);
        break;
    case TEditOperation::FadeOut:
        eps.FadeOut(range.First, range.End(), 0);
        break;
    case TEditOperation::Normalize:
        eps.NormalizeGain();
        break;
    }
}

const char* OperationName(TEditOperation operation) {
    switch (operation) {
    case TEditOperation::Clear:
        return "Cleared";
    case TEditOperation::Reverse:
        return "Reversed";
    case TEditOperation::FadeIn:
        return "Faded in";
    case TEditOperation::FadeOut:
        return "Faded out";
    case TEditOperation::Normalize:
        break;
    }
    return "Normalized";
}

std::string DoneText(const TCliArguments& a) {
    std::string text = OperationName(a.Operation);
    if (a.Operation != TEditOperation::Normalize) {
        text += " samples " + std::to_string(a.First) + ".." + std::to_string(a.Last) + " of";
    }
    return text + " " + WaveSampleText(a.Instrument, a.WaveSample) + ".";
}

// Opens the wavesample with the work area behind its data; false after
// telling why it could not be opened.
bool OpenForEditing(TCliSession& session, const TCliArguments& a) {
    TEps& eps = session.Eps();
    eps.Instrument = a.Instrument;
    eps.WaveSample = a.WaveSample;
    switch (eps.OpenWavesample(true)) {
    case orOpened:
        return true;
    case orCopy:
        session.Fail(CopyText(eps));
        return false;
    case orFailed:
        break;
    }
    session.Fail(MissingWaveSampleText(eps, a.Instrument, a.WaveSample));
    return false;
}

} // namespace

int RenameCommand(TCliSession& session, const TCliArguments& arguments) {
    if (!session.Connect()) {
        return esFailed;
    }
    TEps& eps = session.Eps();
    const std::string instrument = InstrumentText(arguments.Instrument);
    if (!eps.RenameInstrument(arguments.Instrument, arguments.Name)) {
        std::string problem;
        if (!ReadDirectory(eps, problem)) {
            return session.Fail(problem);
        }
        return session.Fail(eps.InstrumentPresent[static_cast<std::size_t>(arguments.Instrument)]
                                ? "the sampler did not take the new name of " + instrument
                                : instrument + " is not loaded");
    }
    const std::string name = DecodeName(
        std::span<const std::int32_t, NameWords>(eps.InstrumentParameters.begin(), NameWords));
    std::cout << "Renamed " << instrument << " to \"" << name << "\"." << std::endl;
    return esSuccess;
}

int EditCommand(TCliSession& session, const TCliArguments& arguments) {
    if (!session.Connect() || !OpenForEditing(session, arguments)) {
        return esFailed;
    }
    TEps& eps = session.Eps();
    if (arguments.Operation != TEditOperation::Normalize && arguments.Last > eps.LastSample) {
        eps.CloseWavesample();
        return TCliSession::UsageError("LAST is beyond the wavesample's last sample, " +
                                       std::to_string(eps.LastSample));
    }
    SendEdit(eps, arguments);
    const TReplyResult reply = eps.WaitForReply();
    eps.RefreshView();
    eps.CloseWavesample();
    if (reply != rrAck) {
        return session.Fail("the sampler did not carry out the edit (" + ReplyText(reply) + ")");
    }
    std::cout << DoneText(arguments) << std::endl;
    return esSuccess;
}
