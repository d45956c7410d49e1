#include "wave/wave_document.h"

#include "platform/message_box.h"
#include "wave/wav_loader.h"
#include "wave/wave_data.h"
#include "wave/wave_outline.h"

#include <QMetaObject>
#include <QPointer>
#include <QWidget>
#include <cstdio>

namespace {

WAVE_DATA* Wave(OPENEDFILE* of) { return of ? of->data<WAVE_DATA>() : nullptr; }

void Exclaim(QWidget* owner, const std::string& text) {
    platform::MessageBox(owner, text, "", platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

// Unprepares and closes the device; the playback is over.
void CloseDevice(WAVE_DATA* wd) {
    if (!wd->hWaveOut) return;
    wd->hWaveOut->Reset();
    if (wd->lpWaveHdr) wd->hWaveOut->Unprepare(wd->lpWaveHdr.get());
    wd->hWaveOut.reset();
    wd->Playing = 0;
}

}  // namespace

int LoadWavFile(OPENEDFILE* of, const std::string& filename) {
    (void)filename;  // the record's own copy names the file
    WAVE_DATA* wd = Wave(of);
    if (!wd) return 0;
    QWidget* hwnd = of->hwnd;
    if (hwnd) {
        char title[512];
        std::snprintf(title, sizeof title, "Loading file:%s", of->Filename.c_str());
        hwnd->setWindowTitle(QString::fromLocal8Bit(title));
    }
    CloseDevice(wd);
    // Without any sound device the sound is still shown; with one, it must take the format.
    const FormatQuery query = [](const WAVEFORMATEX& f) { return WaveOut::QueryFormat(f) || !WaveOut::DeviceExists(); };
    std::string message = LoadWaveFileCore(*wd, of->Filename, query);
    ++wd->generation;
    if (!message.empty()) {
        Exclaim(hwnd, message);
        return 0;
    }
    return 1;
}

int PlayWav(QWidget* hwndApp, OPENEDFILE* of, int Repeat) {
    WAVE_DATA* wd = Wave(of);
    if (!wd) return 0;
    CloseDevice(wd);
    if (wd->pFormat && wd->lpData && wd->lpWaveHdr) {
        // The window outlives its device (it closes the device before it goes), so the
        // audio thread may post to it.
        QWidget* context = hwndApp;
        QPointer<QWidget> window(hwndApp);
        wd->hWaveOut = WaveOut::Open(*wd->pFormat, [context, window](uint64_t serial, WAVEHDR*) {
            // May run on the audio thread: the window handles it in its own turn.
            QMetaObject::invokeMethod(
                context,
                [window, serial] {
                    if (window) WaveDone(window, GetFileStruct(window), serial);
                },
                Qt::QueuedConnection);
        });
    }
    if (!wd->hWaveOut) {
        Exclaim(hwndApp, WaveOut::DeviceExists() ? "failed to open device" : "No sound device");
        return 0;
    }
    WAVEHDR* hdr = wd->lpWaveHdr.get();
    *hdr = WAVEHDR{};
    hdr->lpData = wd->lpData.get();
    hdr->dwBufferLength = wd->dwDataSize;
    hdr->dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
    hdr->dwLoops = uint32_t(Repeat);
    if (!wd->hWaveOut->Prepare(hdr)) {
        wd->hWaveOut.reset();
        Exclaim(hwndApp, "unable to prepare header");
        return 0;
    }
    if (!wd->hWaveOut->Write(hdr)) {
        wd->hWaveOut->Unprepare(hdr);
        wd->hWaveOut.reset();
        Exclaim(hwndApp, "Failed to write to device");
        return 0;
    }
    wd->Playing = 1;
    if (hwndApp) hwndApp->setWindowTitle("Playing");
    return 1;
}

void WaveDone(QWidget* hwndApp, OPENEDFILE* of, uint64_t serial) {
    WAVE_DATA* wd = Wave(of);
    if (!wd || !wd->hWaveOut || wd->hWaveOut->serial() != serial) return;
    wd->Playing = 0;
    wd->hWaveOut->Unprepare(wd->lpWaveHdr.get());
    wd->hWaveOut.reset();
    if (hwndApp) hwndApp->setWindowTitle(QString::fromStdString(of->Filename));
}

void CleanupWave(OPENEDFILE* of) {
    WAVE_DATA* wd = Wave(of);
    if (!wd) return;
    CloseDevice(wd);
    wd->lpWaveHdr.reset();
    wd->lpData.reset();
    wd->pFormat.reset();
    wd->dwDataSize = 0;
    ++wd->generation;
}

void PrintWaveInfo(QWidget* hwnd, OPENEDFILE* of) {
    WAVE_DATA* wd = Wave(of);
    if (!wd || !wd->pFormat) return;
    Exclaim(hwnd, WaveInfoText(*wd->pFormat, wd->dwDataSize));
}

void AddItem(QWidget* window, OPENEDFILE* of, long packedPos) {
    WAVE_DATA* wd = Wave(of);
    if (!wd || !window) return;
    AddOutlinePoint(*wd, window->width(), window->height(), uint32_t(packedPos));
}

void MakeForm(OPENEDFILE* of) {
    WAVE_DATA* wd = Wave(of);
    if (!wd) return;
    // A playing device reads the samples on its own thread.
    if (wd->hWaveOut) wd->hWaveOut->Lock();
    bool made = MakeOutlineForm(*wd);
    if (wd->hWaveOut) wd->hWaveOut->Unlock();
    if (!made) return;
    ++wd->generation;
    of->Changed = 1;
}
