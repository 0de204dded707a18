// Download and Upload, Back Up Instrument and Restore Instrument through the
// File menu, against the built-in virtual sampler and its demo bank
// (instrument 2 holds a kick and a 400-sample rimshot; instrument 3 is
// empty): the browser, the file and folder dialogs and the folder they start
// in, the progress window and its Cancel, and the word to the user at the
// end.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QWindow>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "AppFixture.h"
#include "ModalScript.h"
#include "app/Application.h"
#include "app/CommandLine.h"
#include "dialogs/OpenWaveForm.h"
#include "emulator/VirtualEpsPeer.h"
#include "transfer/WaveFile.h"
#include "transfer/ui/StatusForm.h"
#include "wave/WaveBox.h"
#include "wave/WaveColours.h"

namespace {

constexpr int Piano = 0;
constexpr int Drums = 1;
constexpr int Rimshot = 2;
constexpr int EmptySlot = 2;
constexpr int WaveHeaderBytes = 44;

using TSamples = std::vector<std::int16_t>;

// The number of samples the header announces.
std::uint32_t AnnouncedSamples(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray size = file.read(WaveHeaderBytes).mid(40, 4);
    std::uint32_t bytes = 0;
    for (int i = 3; i >= 0; --i) {
        bytes = bytes << 8 | static_cast<std::uint8_t>(size[i]);
    }
    return bytes / 2;
}

// The samples of a mono 16-bit file with the download's 44-byte header: the
// data chunk only, a "smpl" chunk follows it.
TSamples SamplesOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes =
        file.readAll().mid(WaveHeaderBytes, 2 * static_cast<qsizetype>(AnnouncedSamples(path)));
    TSamples samples(static_cast<std::size_t>(bytes.size() / 2));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto low = static_cast<std::uint8_t>(bytes[static_cast<qsizetype>(2 * i)]);
        const auto high = static_cast<std::uint8_t>(bytes[static_cast<qsizetype>(2 * i + 1)]);
        samples[i] = static_cast<std::int16_t>(low | high << 8);
    }
    return samples;
}

// A mono 16-bit file of these samples.
void WriteMonoFile(const QString& path, const TSamples& samples, std::uint32_t rate) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(QFile::encodeName(path).constData(), "wb"), &std::fclose);
    const auto count = static_cast<std::uint32_t>(samples.size());
    WriteWaveHeader(file.get(), count, rate);
    const std::vector<std::int32_t> words(samples.begin(), samples.end());
    WriteWaveBlock(file.get(), words.data(), count);
}

// What a file dialog was set up with, and the file the test types into it.
struct TFileDialogSeen {
    QString Title;
    QFileDialog::AcceptMode AcceptMode = QFileDialog::AcceptOpen;
    QFileDialog::FileMode FileMode = QFileDialog::AnyFile;
    QStringList Filters;
    QString Suffix;
    QString Folder;
    bool ConfirmsOverwrite = true;
    // Every column of the file list shows whole, its heading too, without
    // scrolling sideways.
    bool ColumnsFit = false;
};

bool ColumnsFit(const QFileDialog& dialog) {
    const auto* list = dialog.findChild<QTreeView*>();
    if (list == nullptr) {
        return false;
    }
    const QHeaderView* header = list->header();
    for (int column = 0; column < header->count(); ++column) {
        if (header->sectionSize(column) < header->sectionSizeHint(column)) {
            return false;
        }
    }
    return header->length() <= list->viewport()->width();
}

// The share of the widget that the screen shows in the colour of no
// wavesample open: what its window last painted there, not a fresh paint.
double ClosedShareShown(const QWidget& widget) {
    const QPoint origin = widget.mapTo(widget.window(), QPoint());
    const QImage shown = widget.screen()
                             ->grabWindow(widget.window()->winId(), origin.x(), origin.y(),
                                          widget.width(), widget.height())
                             .toImage();
    const QRgb closed = TWaveColours::Classic.ClosedBackground.rgb();
    qsizetype count = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            count += shown.pixel(x, y) == closed ? 1 : 0;
        }
    }
    return static_cast<double>(count) / static_cast<double>(shown.width() * shown.height());
}

} // namespace

class TTransfersTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(QDir(Folder.path()).mkpath("start"));
        Fixture = std::make_unique<TAppFixture>();
        Fixture->Store({{"MainForm/WelcomeShown", "1"},
                        {"Preferences/UploadDownloadPath", Folder.path() + "/start"}});
        Form = Fixture->Start().MainForm.get();
    }
    void cleanup() {
        Fixture->Stop();
        Fixture.reset();
    }

    // The rimshot into a file and back into a new instrument: the file holds
    // the sampler's samples, the new wavesample the file's, and the folder
    // of the file is where the next dialog starts and what the settings keep.
    // The file's name is one that no ANSI code page of Windows can spell.
    void DownloadAndUploadMakeARoundTrip() {
        const QString file = Folder.filePath(QString::fromUtf8("rim \u97f3.wav"));
        // An existing file is replaced only once the user agrees: No keeps it
        // and the dialog open, Yes replaces it.
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
        old.close();

        TModalScript script;
        TFileDialogSeen save;
        QString overwrite;
        bool keptOpen = false;
        qint64 keptSize = 0;
        QString saved;
        script
            .Then<TOpenWaveForm>([](TOpenWaveForm* browser) {
                QCOMPARE(browser->windowTitle(), QString("Download Wavesample"));
                browser->InstrumentListBox->setCurrentRow(Drums);
                browser->WaveSampleListBox->setCurrentRow(Rimshot - 1);
                browser->OkButton->click();
            })
            .Then<QFileDialog>([&](QFileDialog* dialog) {
                save = Seen(dialog);
                Type(dialog, Folder.filePath(QString::fromUtf8("rim \u97f3")));
                overwrite = AnswerNextBox(QMessageBox::No, [dialog] { Confirm(dialog); });
                keptOpen = dialog->isVisible();
                keptSize = QFileInfo(file).size();
                AnswerNextBox(QMessageBox::Yes, [dialog] { Confirm(dialog); });
            })
            .Then<QMessageBox>([&](QMessageBox* box) { saved = Information(box); });
        Form->DownloadMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));

        QCOMPARE(save.AcceptMode, QFileDialog::AcceptSave);
        QCOMPARE(save.Filters, QStringList({"Wav/RIFF files (*.wav)", "All files (*.*)"}));
        QCOMPARE(save.Suffix, QString("wav"));
        QCOMPARE(save.Folder, Folder.path() + "/start");
        QVERIFY(save.ConfirmsOverwrite);
        QVERIFY2(overwrite.startsWith(QString::fromUtf8("rim \u97f3.wav already exists.")),
                 qPrintable(overwrite));
        QVERIFY(keptOpen);
        QCOMPARE(keptSize, qint64{5000});
        QVERIFY(save.ColumnsFit);
        const TSamples rimshot = SamplerData(Drums, Rimshot);
        QCOMPARE(SamplesOf(file), rimshot);
        QCOMPARE(saved, QString("Saved %1 samples to %2.")
                            .arg(rimshot.size())
                            .arg(QDir::toNativeSeparators(file)));
        QCOMPARE(Form->UploadDownloadPath, Folder.path());
        // The wavesample was only read, not opened for editing.
        QVERIFY(!Form->CloseWavesampleMenuItem->isEnabled());

        TFileDialogSeen open;
        QString sent;
        script.Then<QFileDialog>([&](QFileDialog* dialog) { open = Answer(dialog, file); })
            .Then<TOpenWaveForm>(ChooseNewInEmptySlot)
            .Then<QMessageBox>([&](QMessageBox* box) { sent = Information(box); });
        Form->UploadMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));

        QCOMPARE(open.Title, QString("Upload"));
        QCOMPARE(open.AcceptMode, QFileDialog::AcceptOpen);
        QCOMPARE(open.FileMode, QFileDialog::ExistingFile);
        QVERIFY2(open.Filters.constFirst().startsWith("Sound files (*."),
                 qPrintable(open.Filters.constFirst()));
        for (const char* pattern : {"*.wav", "*.aiff", "*.flac"}) {
            QVERIFY2(open.Filters.constFirst().contains(pattern), pattern);
        }
        QCOMPARE(open.Suffix, QString("wav"));
        QCOMPARE(open.Folder, Folder.path());
        QVERIFY(open.ColumnsFit);
        QCOMPARE(SamplerData(EmptySlot, 1), rimshot);
        QCOMPARE(sent, QString("Sent %1 samples to instrument 3, wavesample 1 and named the "
                               "instrument after the file.")
                           .arg(rimshot.size()));
        // Nothing was open, so the new wavesample is, under the name the
        // file brought and the one its new instrument got from the file.
        QCOMPARE(Form->windowTitle(), QString("Rimshot \u2014 Rim \u2014 Tavimor"));

        // Into a wavesample that holds data only after a question naming it;
        // No goes back to the browser, and nothing is sent.
        const TSamples piano = SamplerData(Piano, 1);
        QString question;
        script.Then<QFileDialog>([&](QFileDialog* dialog) { Answer(dialog, file); })
            .Then<TOpenWaveForm>([](TOpenWaveForm* browser) {
                browser->InstrumentListBox->setCurrentRow(Piano);
                browser->WaveSampleListBox->setCurrentRow(1);
                browser->OkButton->click();
            })
            .Then<QMessageBox>([&](QMessageBox* box) {
                question = box->text();
                box->button(QMessageBox::No)->click();
            })
            .Then<TOpenWaveForm>([](TOpenWaveForm* browser) { browser->reject(); });
        Form->UploadMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QVERIFY2(question.startsWith("Wavesample 1 of Grand Piano"), qPrintable(question));
        QVERIFY2(question.endsWith(" Hz.\n\nReplace it with the file's samples?"),
                 qPrintable(question));
        QCOMPARE(SamplerData(Piano, 1), piano);

        // A wavesample that holds no samples yet takes the file without a
        // question; the one opened after the first upload is kept open.
        Fixture->Sampler->Sampler().Inspect(
            [](TSamplerModel& model) { model.Instrument(Drums)->Place(3, TWaveSample()); });
        QString filled;
        script.Then<QFileDialog>([&](QFileDialog* dialog) { Answer(dialog, file); })
            .Then<TOpenWaveForm>([](TOpenWaveForm* browser) {
                browser->InstrumentListBox->setCurrentRow(Drums);
                browser->WaveSampleListBox->setCurrentRow(3);
                browser->OkButton->click();
            })
            .Then<QMessageBox>([&](QMessageBox* box) { filled = Information(box); })
            .Then<QMessageBox>([](QMessageBox* box) { box->reject(); });
        Form->UploadMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QVERIFY2(filled.startsWith("Sent"), qPrintable(filled));
        QCOMPARE(SamplerData(Drums, 3), rimshot);
        QCOMPARE(Form->Eps->OpenInstrument, EmptySlot);

        Fixture->Stop();
        QCOMPARE(Fixture->Stored("Preferences/UploadDownloadPath").toString(), Folder.path());
    }

    // The download's file dialog proposes the instrument's and the
    // wavesample's names in the folder last used; taken as it is, the file
    // gets that name.
    void DownloadProposesTheNamesInTheLastFolder() {
        TModalScript script;
        QString proposed;
        QString folder;
        script
            .Then<TOpenWaveForm>([](TOpenWaveForm* browser) {
                browser->InstrumentListBox->setCurrentRow(Drums);
                browser->WaveSampleListBox->setCurrentRow(Rimshot - 1);
                browser->OkButton->click();
            })
            .Then<QFileDialog>([&](QFileDialog* dialog) {
                proposed = dialog->findChild<QLineEdit*>("fileNameEdit")->text();
                folder = dialog->directory().path();
                static_cast<QDialog*>(dialog)->accept();
            })
            .Then<QMessageBox>([](QMessageBox* box) { Information(box); });
        Form->DownloadMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QCOMPARE(proposed, QString("Drum_Kit-Rimshot.wav"));
        QCOMPARE(folder, Folder.path() + "/start");
        QCOMPARE(SamplesOf(Folder.filePath("start/Drum_Kit-Rimshot.wav")),
                 SamplerData(Drums, Rimshot));
    }

    // A sound file dropped on the window is uploaded: the browser asks for
    // the target and the file goes there. A file the upload does not read,
    // or two files at once, are refused while dragged and when dropped.
    void ADroppedSoundFileIsUploaded() {
        const QString refused = Folder.filePath("notes.txt");
        QFile text(refused);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a sound");
        text.close();
        const QString file = Folder.filePath("clap.wav");
        TSamples clap(300);
        for (std::size_t i = 0; i < clap.size(); ++i) {
            clap[i] = static_cast<std::int16_t>(int(i) * 90 - 13000);
        }
        WriteMonoFile(file, clap, 31250);

        for (const QStringList& files : {QStringList{refused}, QStringList{file, file}}) {
            QVERIFY2(!Drop(files), qPrintable(files.join(' ')));
        }
        QTest::qWait(50);
        QVERIFY(QApplication::activeModalWidget() == nullptr);

        TModalScript script;
        QString sent;
        script.Then<TOpenWaveForm>(ChooseNewInEmptySlot).Then<QMessageBox>([&](QMessageBox* box) {
            sent = Information(box);
        });
        QVERIFY(Drop({file}));
        QTRY_VERIFY2_WITH_TIMEOUT(script.Finished(), qPrintable(script.Failure), 60000);
        QCOMPARE(sent, QString("Sent 300 samples to instrument 3, wavesample 1 and named the "
                               "instrument after the file."));
        QCOMPARE(SamplerData(EmptySlot, 1), clap);
    }

    // Cancel in the progress window stops the download of the open piano
    // after a few blocks; the user is warned that the file is incomplete.
    void CancelStopsTheDownloadAndNamesTheIncompleteFile() {
        QVERIFY(Form->OpenWavesampleAt(Piano, 1));
        const QString file = Folder.filePath("piano.wav");
        TStatusForm* status = Fixture->Windows->StatusForm.get();
        QString caption;
        bool menusEnabled = true;
        bool asked = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (status->isVisible() && status->ProgressBar->value() >= 1) {
                caption = status->windowTitle();
                menusEnabled = Form->menuBar()->isEnabled();
                watch.stop();
                // The close box does not cut into the transfer: it asks,
                // and Continue goes on.
                Form->windowHandle()->close();
                asked = status->CloseQuestion->isVisible();
                status->CloseQuestion->button(QMessageBox::No)->click();
                QTest::mouseClick(status->CancelButton, Qt::LeftButton);
            }
        });
        watch.start(1);

        TModalScript script;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString warning;
        script.Then<QFileDialog>([&](QFileDialog* dialog) { Answer(dialog, file); })
            .Then<QMessageBox>([&](QMessageBox* box) {
                icon = box->icon();
                warning = box->text();
                box->accept();
            });
        Form->DownloadMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));

        QCOMPARE(caption, QString("Downloading..."));
        QCOMPARE(status->parentWidget(), Form);
        QVERIFY(!menusEnabled);
        QVERIFY(asked);
        QVERIFY(!status->isVisible());
        QVERIFY(Form->menuBar()->isEnabled());
        QCOMPARE(icon, QMessageBox::Warning);
        const TSamples written = SamplesOf(file);
        const std::size_t total = SamplerData(Piano, 1).size();
        QVERIFY(!written.empty());
        QVERIFY(written.size() < total);
        // A valid WAVE file of the samples that came: its header counts what
        // the file holds.
        QCOMPARE(QFileInfo(file).size(),
                 static_cast<qint64>(WaveHeaderBytes + 2 * AnnouncedSamples(file)));
        QCOMPARE(warning,
                 QString("The download was cancelled; %1 is incomplete (%2 of %3 samples).")
                     .arg(QDir::toNativeSeparators(file))
                     .arg(written.size())
                     .arg(total));
        // The wavesample stays open for editing.
        QVERIFY(Form->isVisible());
        QVERIFY(Form->Eps->WaveSampleOpen);
        QVERIFY(Form->CloseWavesampleMenuItem->isEnabled());
    }

    // An upload into a new instrument cancelled part-way while the piano is
    // open: the closing word says what the sampler kept, the piano comes
    // back, and the wavesample offered and opened is named by the instrument
    // the sampler made for it.
    void ACancelledUploadIntoANewInstrumentIsOfferedAsKept() {
        QVERIFY(Form->OpenWavesampleAt(Piano, 1));
        const QString file = Folder.filePath("long.wav");
        WriteMonoFile(file, TSamples(20000, 1000), 31250);
        TStatusForm* status = Fixture->Windows->StatusForm.get();
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (status->isVisible() && status->ProgressBar->value() >= 1) {
                watch.stop();
                QTest::mouseClick(status->CancelButton, Qt::LeftButton);
            }
        });
        watch.start(1);
        TModalScript script;
        QString warning;
        QString offer;
        script.Then<QFileDialog>([&](QFileDialog* dialog) { Answer(dialog, file); })
            .Then<TOpenWaveForm>(ChooseNewInEmptySlot)
            .Then<QMessageBox>([&](QMessageBox* box) {
                warning = box->text();
                box->accept();
            })
            .Then<QMessageBox>([&](QMessageBox* box) {
                offer = box->text();
                box->buttons().constFirst()->click();
            });
        Form->UploadMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));

        const std::size_t kept = SamplerData(EmptySlot, 1).size();
        QVERIFY(kept > 0 && kept < 20000);
        QVERIFY2(warning.endsWith(QString("Instrument 3 was created for the upload; its "
                                          "wavesample 1 holds the first %1 of the file's 20000 "
                                          "samples.")
                                      .arg(kept)),
                 qPrintable(warning));
        QCOMPARE(offer, QString("Open wavesample 1 of Unnamed Inst now?"));
        QVERIFY(Form->Eps->WaveSampleOpen);
        QCOMPARE(Form->Eps->OpenInstrument, EmptySlot);
        QVERIFY2(
            Form->windowTitle().endsWith(QString::fromUtf8(" \u2014 Unnamed Inst \u2014 Tavimor")),
            qPrintable(Form->windowTitle()));
        QCOMPARE(Form->Eps->LastSample + 1, static_cast<std::int32_t>(kept));
    }

    // "Cancel and Close" from the close box during a download: the download
    // ends as cancelled, its word is said, and then the main window closes.
    void CloseBoxDuringATransferCancelsItAndCloses() {
        QVERIFY(Form->OpenWavesampleAt(Piano, 1));
        TStatusForm* status = Fixture->Windows->StatusForm.get();
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (status->isVisible() && status->ProgressBar->value() >= 1) {
                watch.stop();
                Form->windowHandle()->close();
                status->CloseQuestion->button(QMessageBox::Yes)->click();
            }
        });
        watch.start(1);
        TModalScript script;
        QString warning;
        script
            .Then<QFileDialog>(
                [&](QFileDialog* dialog) { Answer(dialog, Folder.filePath("closing.wav")); })
            .Then<QMessageBox>([&](QMessageBox* box) {
                warning = box->text();
                box->accept();
            });
        Form->DownloadMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QVERIFY2(warning.startsWith("The download was cancelled"), qPrintable(warning));
        QVERIFY(!Form->isVisible());
        QVERIFY(!Form->Eps->WaveSampleOpen);
    }

    // A cancelled choice changes nothing: the open wavesample stays open
    // with its selection.
    void UploadCancelledAtTheFileDialogKeepsTheWavesampleOpen() {
        QVERIFY(Form->OpenWavesampleAt(Piano, 1));
        Form->SelStart = 10;
        Form->SelEnd = 20;
        Form->HasSelection = true;
        Form->UpdateCommands();
        TModalScript script;
        script.Then<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        Form->UploadMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QVERIFY(Form->Eps->WaveSampleOpen);
        QVERIFY(Form->HasSelection);
        QVERIFY(Form->FadeInMenuItem->isEnabled());
        QCOMPARE(Form->UploadDownloadPath, Folder.path() + "/start");
    }

    // A 44.1 kHz file is converted to the rate of the nearest period, as the
    // progress window says, unless the file dialog's box keeps its samples;
    // the box's state is kept for the next start.
    void AFileOfAnotherRateIsConvertedUnlessTheDialogKeepsIt() {
        const QString file = Folder.filePath("tone.wav");
        TSamples tone(4410);
        for (std::size_t i = 0; i < tone.size(); ++i) {
            tone[i] = static_cast<std::int16_t>(static_cast<int>(i % 100) * 300 - 15000);
        }
        WriteMonoFile(file, tone, 44100);
        TStatusForm* status = Fixture->Windows->StatusForm.get();
        for (const bool keep : {false, true}) {
            TModalScript script;
            bool offered = false;
            script
                .Then<QFileDialog>([&](QFileDialog* dialog) {
                    auto* box = dialog->findChild<QCheckBox*>();
                    offered = box != nullptr && box->isChecked() == !keep;
                    if (box != nullptr) {
                        box->setChecked(keep);
                    }
                    Answer(dialog, file);
                })
                .Then<TOpenWaveForm>(ChooseNewInEmptySlot)
                .Then<QMessageBox>([](QMessageBox* box) { Information(box); });
            if (keep) {
                // The first upload was opened; the second is offered.
                script.Then<QMessageBox>([](QMessageBox* box) { box->reject(); });
            }
            Form->UploadMenuItem->trigger();
            QVERIFY2(script.Finished(), qPrintable(script.Failure));
            QVERIFY2(offered || !keep, "the box was not kept checked");
            const QString info = status->StepLabel->text();
            QVERIFY2(info.startsWith("WAVE, 44100 Hz, 1 channel, 16-bit, 0:00.1 \u2192 44642 Hz"),
                     qPrintable(info));
            const TSamples sent = SamplerData(EmptySlot, keep ? 2 : 1);
            if (keep) {
                QCOMPARE(sent, tone);
            } else {
                QCOMPARE(sent.size(), std::size_t{4464});
            }
        }
        Fixture->Stop();
        QCOMPARE(Fixture->Stored("Preferences/KeepUploadRate").toInt(), 1);
    }

    // "tavimor FILE", as a desktop's "Open With" starts the program: once it
    // runs, the upload takes the file without a file dialog and the browser
    // asks for the target; the file's folder becomes the dialogs' folder.
    void AFileOnTheCommandLineIsUploadedAfterTheStart() {
        QVERIFY(QDir(Folder.path()).mkpath("elsewhere"));
        const QString file = Folder.filePath("elsewhere/snare.wav");
        TSamples snare(256);
        for (std::size_t i = 0; i < snare.size(); ++i) {
            snare[i] = static_cast<std::int16_t>((i % 2 == 0 ? 1 : -1) * int(i) * 100);
        }
        WriteMonoFile(file, snare, 31250);
        TModalScript script;
        QString sent;
        script.Then<TOpenWaveForm>(ChooseNewInEmptySlot).Then<QMessageBox>([&](QMessageBox* box) {
            sent = Information(box);
        });
        TCommandLine({file}).StartRequests(*Form);
        QTRY_VERIFY2_WITH_TIMEOUT(script.Finished(), qPrintable(script.Failure), 60000);
        QCOMPARE(sent, QString("Sent 256 samples to instrument 3, wavesample 1 and named the "
                               "instrument after the file."));
        QCOMPARE(SamplerData(EmptySlot, 1), snare);
        QCOMPARE(Form->UploadDownloadPath, Folder.filePath("elsewhere"));
    }

    // The drum kit into a folder of its own inside the one chosen, then back
    // into the empty instrument 3, sample for sample and named as it was. A
    // folder that holds no backup is refused before a slot is asked for, and
    // No to restoring over a loaded instrument goes back to the browser.
    void BackUpAndRestoreAnInstrument() {
        // The piano stays open through the backup of another instrument,
        // with its view, selection and undo history.
        QVERIFY(Form->OpenWavesampleAt(Piano, 1));
        const TSamples piano = SamplerData(Piano, 1);
        TAppFixture::Select(*Form, 1000, 2999);
        Form->ReverseDataMenuItem->trigger();
        Form->ZoomInMenuItem->trigger();
        TAppFixture::Select(*Form, 1000, 2999);
        const std::int32_t viewStart = Form->Eps->ViewStart;
        const std::int32_t viewEnd = Form->Eps->ViewEnd;
        TModalScript script;
        TFileDialogSeen backupFolder;
        QString backedUp;
        script
            .Then<TOpenWaveForm>([](TOpenWaveForm* browser) {
                QCOMPARE(browser->windowTitle(), QString("Back Up Instrument"));
                browser->InstrumentListBox->setCurrentRow(Drums);
                browser->OkButton->click();
            })
            .Then<QFileDialog>(
                [&](QFileDialog* dialog) { backupFolder = Answer(dialog, Folder.path()); })
            .Then<QMessageBox>([&](QMessageBox* box) { backedUp = Information(box); });
        // Set aside, the piano leaves the wave area empty while the backup
        // runs, not its last picture under the empty area's line.
        double closedShare = -1;
        QTimer watchArea;
        connect(&watchArea, &QTimer::timeout, this, [&] {
            if (Fixture->Windows->StatusForm->isVisible()) {
                closedShare = ClosedShareShown(*Form->WaveBox);
            }
        });
        watchArea.start(1);
        Form->BackUpInstrumentMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        watchArea.stop();
        QVERIFY2(closedShare > 0.9, qPrintable(QString::number(closedShare)));

        const QString backup = Folder.filePath("2-Drum_Kit");
        QCOMPARE(backupFolder.Title, QString("Back Up Into Folder"));
        QCOMPARE(backupFolder.FileMode, QFileDialog::Directory);
        QCOMPARE(backupFolder.Folder, Folder.path() + "/start");
        QVERIFY(backupFolder.ColumnsFit);
        QCOMPARE(backedUp,
                 QString("Backed up Drum Kit in %1.").arg(QDir::toNativeSeparators(backup)));
        const QStringList files = QDir(backup).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files.filter(".wav").size(), 2);
        QVERIFY(files.contains("instrument.json"));
        QCOMPARE(Form->UploadDownloadPath, Folder.path());
        QVERIFY(Form->Eps->WaveSampleOpen);
        QCOMPARE(Form->windowTitle(), QString("Piano C4 \u2014 Grand Piano \u2014 Tavimor"));
        QCOMPARE(Form->Eps->ViewStart, viewStart);
        QCOMPARE(Form->Eps->ViewEnd, viewEnd);
        QVERIFY(Form->HasSelection);
        QCOMPARE(Form->SelStart, 1000);
        QCOMPARE(Form->SelEnd, 2999);
        QVERIFY(Form->UndoMenuItem->isEnabled());
        Form->UndoMenuItem->trigger();
        QCOMPARE(SamplerData(Piano, 1), piano);

        QString refused;
        script.Then<QFileDialog>([&](QFileDialog* dialog) { Answer(dialog, Folder.path()); })
            .Then<QMessageBox>([&](QMessageBox* box) {
                refused = box->icon() == QMessageBox::Warning ? box->text() : QString();
                box->accept();
            });
        Form->RestoreInstrumentMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QCOMPARE(refused, QString("%1: there is no such file.\n\nChoose the folder of one "
                                  "backed-up instrument, the one that holds instrument.json.")
                              .arg(QDir::toNativeSeparators(Folder.filePath("instrument.json"))));

        QString question;
        QString replace;
        script.Then<QFileDialog>([&](QFileDialog* dialog) { Answer(dialog, backup); })
            .Then<TOpenWaveForm>([](TOpenWaveForm* browser) { ChooseSlot(browser, Drums); })
            .Then<QMessageBox>([&](QMessageBox* box) {
                question = box->text();
                // The destructive choice is named, without a tick, and not
                // the default.
                QCOMPARE(box->icon(), QMessageBox::Warning);
                replace = box->button(QMessageBox::Yes)->text();
                QVERIFY(box->button(QMessageBox::Yes)->icon().isNull());
                QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
                box->button(QMessageBox::No)->click();
            })
            .Then<TOpenWaveForm>([](TOpenWaveForm* browser) { browser->reject(); });
        Form->RestoreInstrumentMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));
        QCOMPARE(question, QString("Instrument 2 holds Drum Kit. Restore over it?\n\nIts "
                                   "wavesamples that the backup lacks stay. A restore that stops "
                                   "part-way leaves the instrument incomplete, named INCOMPLETE."));
        QCOMPARE(replace, QString("Restore Over It"));

        // The progress window shows the whole job.
        TStatusForm* status = Fixture->Windows->StatusForm.get();
        QStringList progress;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (status->isVisible() && !status->StepLabel->text().isEmpty()) {
                progress << status->windowTitle() + " " + status->StepLabel->text();
            }
        });
        watch.start(1);
        TFileDialogSeen restoreFolder;
        QString restored;
        script
            .Then<QFileDialog>([&](QFileDialog* dialog) { restoreFolder = Answer(dialog, backup); })
            .Then<TOpenWaveForm>([](TOpenWaveForm* browser) {
                QCOMPARE(browser->InstrumentListBox->item(EmptySlot)->text(), QString("(3) <new>"));
                ChooseSlot(browser, EmptySlot);
            })
            .Then<QMessageBox>([&](QMessageBox* box) { restored = Information(box); });
        Form->RestoreInstrumentMenuItem->trigger();
        QVERIFY2(script.Finished(), qPrintable(script.Failure));

        watch.stop();
        QVERIFY(!progress.isEmpty());
        QVERIFY2(progress.constFirst().startsWith("Restoring... Wavesample 1 of 2"),
                 qPrintable(progress.constFirst()));
        QCOMPARE(restoreFolder.Title, QString("Restore Instrument From Folder"));
        QCOMPARE(restoreFolder.Folder, Folder.path());
        QCOMPARE(restored, QString("Restored Drum Kit into instrument 3."));
        QVERIFY(Form->Eps->ReadConfiguration());
        QVERIFY(Form->Eps->InstrumentPresent[EmptySlot]);
        QCOMPARE(QString::fromStdString(Form->Eps->InstrumentName[EmptySlot]), QString("Drum Kit"));
        QCOMPARE(SamplerData(EmptySlot, Rimshot), SamplerData(Drums, Rimshot));
        QCOMPARE(SamplerData(EmptySlot, 1), SamplerData(Drums, 1));
        QCOMPARE(Form->UploadDownloadPath, Folder.path());
    }

private:
    // Drags the files over the main window and drops them there, as a file
    // manager does; true when the window took both the drag and the drop.
    bool Drop(const QStringList& files) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& file : files) {
            urls << QUrl::fromLocalFile(file);
        }
        data.setUrls(urls);
        const QPoint centre = Form->rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        QApplication::sendEvent(Form, &enter);
        QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        drop.ignore();
        QApplication::sendEvent(Form, &drop);
        return enter.isAccepted() && drop.isAccepted();
    }

    // How the dialog was set up.
    static TFileDialogSeen Seen(const QFileDialog* dialog) {
        return {dialog->windowTitle(),
                dialog->acceptMode(),
                dialog->fileMode(),
                dialog->nameFilters(),
                dialog->defaultSuffix(),
                dialog->directory().path(),
                !dialog->testOption(QFileDialog::DontConfirmOverwrite),
                ColumnsFit(*dialog)};
    }

    // Into the file name field, as a user does.
    static void Type(QFileDialog* dialog, const QString& name) {
        if (auto* field = dialog->findChild<QLineEdit*>("fileNameEdit")) {
            field->setText(name);
        }
    }

    // As the dialog's own button does.
    static void Confirm(QFileDialog* dialog) { static_cast<QDialog*>(dialog)->accept(); }

    // Notes how the dialog was set up and answers it with name.
    static TFileDialogSeen Answer(QFileDialog* dialog, const QString& name) {
        const TFileDialogSeen seen = Seen(dialog);
        Type(dialog, name);
        Confirm(dialog);
        return seen;
    }

    // Runs act, answering with button the message box that it brings up
    // in the meantime; returns the box's text, empty when none came.
    static QString AnswerNextBox(QMessageBox::StandardButton button,
                                 const std::function<void()>& act) {
        QString text;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr && box->isVisible()) {
                poll.stop();
                text = box->text();
                box->button(button)->click();
            }
        });
        poll.start();
        act();
        return text;
    }

    // An upload's target: a new wavesample in the empty instrument.
    static void ChooseNewInEmptySlot(TOpenWaveForm* browser) {
        QCOMPARE(browser->windowTitle(), QString("Upload to Wavesample"));
        browser->InstrumentListBox->setCurrentRow(EmptySlot);
        QCOMPARE(browser->WaveSampleListBox->item(0)->text(TWaveSampleList::NumberColumn),
                 QString("<new>"));
        browser->WaveSampleListBox->setCurrentRow(0);
        browser->OkButton->click();
    }

    // The browser's instrument row: a restore lists every slot and asks for
    // no wavesample.
    static void ChooseSlot(TOpenWaveForm* browser, int instrument) {
        QCOMPARE(browser->windowTitle(), QString("Restore Instrument Into"));
        QVERIFY(!browser->WaveSampleListBox->isVisible());
        browser->InstrumentListBox->setCurrentRow(instrument);
        browser->OkButton->click();
    }

    static QString Information(QMessageBox* box) {
        const QString text = box->icon() == QMessageBox::Information ? box->text() : QString();
        box->accept();
        return text;
    }

    TSamples SamplerData(int instrument, int waveSample) {
        TSamples data;
        Fixture->Sampler->Sampler().Inspect([&](TSamplerModel& memory) {
            const TWaveSample* found = memory.Instrument(instrument)->WaveSample(waveSample);
            const auto start = static_cast<std::ptrdiff_t>(found->Address(TWaveSample::StartWord));
            const auto end = static_cast<std::ptrdiff_t>(found->Address(TWaveSample::EndWord));
            data.assign(found->Data.begin() + start, found->Data.begin() + end + 1);
        });
        return data;
    }

    QTemporaryDir Folder;
    std::unique_ptr<TAppFixture> Fixture;
    TMainForm* Form = nullptr;
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TTransfersTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TransfersTest.moc"
