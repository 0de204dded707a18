// The browser in which the user picks an instrument and one of its
// wavesamples in the sampler, for editing, as the target of an upload or as
// the source of a download. It reads the sampler's directory afresh each time
// it is shown; in upload mode it also offers "<new>" targets: the first free
// slot of an instrument, or an instrument that does not exist yet. The user's
// choice goes into the engine's Instrument and WaveSample.
//
// Each wavesample row shows what the wavesample holds in columns: number,
// name, samples, rate and the wavesample it is a copy of. The directory scan reads instrument
// blocks only and each wavesample costs a request of its own, about 0.15 s at
// MIDI speed, so the figures are read for the selected instrument only, one
// row at a time while the browser waits for the user, and kept until the
// next directory read: the lists are there at once and fill in as the
// figures come. Each read is a wait like any other, which the user may give
// up; the first that fails ends the reading until the next directory read,
// so that a sampler that does not answer is not asked again for every row.
#pragma once

#include <QString>
#include <QTimer>

#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "dialogs/ModalForm.h"
#include "dialogs/WaveSampleList.h"
#include "eps/WaveSampleInfo.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QMessageBox;
class QPushButton;
class TEps;
class TNoInstrForm;
class TRenameInstrForm;

// owRestore picks a whole instrument to be replaced: every slot is offered,
// each saying what it holds, and no wavesample is chosen.
enum TOpenWaveMode { owOpen = 0, owUpload = 1, owDownload = 2, owRestore = 3 };

class TOpenWaveForm : public TModalForm {
    Q_OBJECT

public:
    TOpenWaveForm(TEps& eps, TRenameInstrForm& renameForm, TNoInstrForm& noInstrForm,
                  QWidget* parent = nullptr);

    // Re-reads the directory and shows the lists, unless the sampler holds
    // nothing to choose from and the user gives up: then Cancel without
    // showing. On OK the choice is in the engine; otherwise nothing changes.
    // caption replaces the mode's own for a command that picks in the same
    // way but for another purpose.
    TModalResult Execute(TOpenWaveMode mode, const QString& caption = {});
    TOpenWaveMode Mode() const { return OpenMode; }

    // Re-reads the sampler's directory and refills both lists. While the
    // sampler holds no instrument and nothing may be created, asks the user
    // to load one; while an instrument cannot be read, offers to read again
    // (UnreadBox). Giving up closes the browser as cancelled.
    void Refresh();

    // What wavesample waveSample (1..127) of instrument (0..7) holds: read
    // from the sampler once per directory read. Empty when the sampler does
    // not give it, when the engine is waiting for another answer, and once a
    // read has failed or been given up since the directory was read.
    std::optional<TWaveSampleInfo> WaveSampleInfo(int instrument, int waveSample);

    // Enables Rename only for an instrument that the sampler holds.
    void InstrumentPopupMenuPopup();
    void RenameMenuItemClick();
    // Closes the browser with OK once both lists have a row selected.
    void OkButtonClick();

    QLabel* InstrumentLabel;
    QLabel* WavesampleLabel;
    // What the selected wavesample holds: "2,000 samples at 31250 Hz".
    QLabel* WaveSampleInfoLabel;
    QListWidget* InstrumentListBox;
    TWaveSampleList* WaveSampleListBox;
    QPushButton* OkButton;
    QPushButton* CancelButton;
    QMenu* InstrumentPopupMenu;
    QAction* RenameMenuItem;
    QAction* RefreshMenuItem;
    QAction* Refresh1;
    // Says which instrument could not be read; Retry or Cancel.
    QMessageBox* UnreadBox;

    // The instrument number (0..7) of each instrument row, and the 0-based
    // wavesample index of each wavesample row.
    std::vector<int> InstrumentMap;
    std::vector<int> WaveSampleMap;

protected:
    // The size the user gave the browser comes back in the next run.
    void done(int result) override;

signals:
    // A wavesample's figures are about to be read while the user may be
    // working in the browser, which stays as it is: what the user does
    // meanwhile is still meant for it.
    void FiguresReadStarts();

private:
    struct TChoice {
        int Instrument;
        int WaveSample;
    };

    void FormCreate();
    void CreateMenus();
    void LayOutControls();
    void RestoreSize();
    // False once the user gave up on a directory that could not be read.
    bool ReadDirectory();
    void FillInstrumentList();
    void FitInstrumentList();
    void FillWaveSampleList();
    // Whether absent instruments are listed, as "<new>".
    bool OffersNew() const;
    QString InstrumentRow(int instrument) const;
    void UpdateWaveSampleRows();
    // Reads the figures of the first row that lacks them, then comes back
    // for the next, until a read fails.
    void ReadNextRowInfo();
    // Whether the "<new>" row may stand for the instrument's first free slot:
    // an instrument whose slots are all taken has none.
    bool HasFreeSlot(int instrument) const;
    std::optional<int> SelectedInstrument() const;
    std::optional<int> RenamableInstrument() const;
    std::optional<TChoice> Choice() const;
    void UpdateOkButton();
    void WaveSampleSelected();
    void ShowWaveSampleInfo();
    void ShowInstrumentPopup(const QPoint& position);

    TEps& Eps;
    TRenameInstrForm& RenameForm;
    TNoInstrForm& NoInstrForm;
    TOpenWaveMode OpenMode = owOpen;
    // Keyed by instrument (0..7) and wavesample (1..127).
    std::map<std::pair<int, int>, std::optional<TWaveSampleInfo>> Infos;
    // Requests to the sampler under way: the engine serves events while it
    // waits, and another request then would cut into the exchange.
    int Talking = 0;
    // A read of figures failed or was given up since the directory was read.
    bool FiguresUnread = false;
    QTimer InfoTimer;
};
