// Files dropped on the main window: a sound file that the upload reads is
// uploaded as if chosen in the upload's file dialog; the browser still asks
// where it goes.
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "transfer/SoundFile.h"
#include "transfer/ui/StatusForm.h"

namespace {

bool UploadReads(const QString& file) {
    const std::string suffix = QFileInfo(file).suffix().toLower().toStdString();
    const std::vector<std::string> extensions = TSoundFile::Extensions();
    return std::find(extensions.begin(), extensions.end(), suffix) != extensions.end();
}

} // namespace

QString TMainForm::DroppedSoundFile(const QMimeData* data) const {
    if (BusyCount > 0 || (Dialogs.StatusForm != nullptr && Dialogs.StatusForm->isVisible()) ||
        data == nullptr || data->urls().size() != 1) {
        return {};
    }
    const QUrl url = data->urls().constFirst();
    const QString file = url.toLocalFile();
    return url.isLocalFile() && QFileInfo(file).isFile() && UploadReads(file) ? file : QString();
}

// Refused here, the pointer shows that the window takes no such drop.
void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedSoundFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void TMainForm::dragMoveEvent(QDragMoveEvent* event) {
    if (DroppedSoundFile(event->mimeData()).isEmpty()) {
        event->ignore();
    } else {
        event->acceptProposedAction();
    }
}

// The upload starts once the drop is over, so that the program the file
// came from is not kept waiting while the browser is up.
void TMainForm::dropEvent(QDropEvent* event) {
    const QString file = DroppedSoundFile(event->mimeData());
    if (file.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    QTimer::singleShot(0, this, [this, file] { UploadFile(file); });
}
