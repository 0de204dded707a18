// The main window's Download and Upload commands: the transfer workflows,
// with the browser, the file dialogs, the progress window and a word at the
// end as their front end.
#include <QFile>

#include "app/GuiTransferFrontEnd.h"
#include "app/MainForm.h"
#include "transfer/Download.h"
#include "transfer/Upload.h"

namespace {

// The workflow starts its file dialog in folder and leaves there the folder
// of the file it used, also when a port's failure cuts it short.
template <typename TWorkflow>
void RunTransfer(TEps& eps, TTransferFrontEnd& frontEnd, QString& folder) {
    std::string path = QFile::encodeName(folder).toStdString();
    struct TKeepFolder {
        std::string& Path;
        QString& Folder;
        ~TKeepFolder() { Folder = QFile::decodeName(QByteArray::fromStdString(Path)); }
    } keep{path, folder};
    TWorkflow(eps, frontEnd, path).Run();
}

} // namespace

void TMainForm::DownloadClick() {
    TGuiTransferFrontEnd frontEnd(*this, *Dialogs.OpenWaveForm, *Dialogs.StatusForm);
    RunTransfer<TDownload>(*Eps, frontEnd, UploadDownloadPath);
}

void TMainForm::UploadClick() {
    TGuiTransferFrontEnd frontEnd(*this, *Dialogs.OpenWaveForm, *Dialogs.StatusForm);
    RunTransfer<TUpload>(*Eps, frontEnd, UploadDownloadPath);
}
