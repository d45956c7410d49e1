#pragma once
// A wave document's life: loading, playback and its completion, information box, release,
// and the outline edits, working on the record and its WAVE_DATA.
#include "documents/opened_file.h"

#include <cstdint>
#include <string>

class QWidget;

// Fills the document from the file named by the record; shows the loader's message and
// returns 0 on failure. With no sound device at all, any readable PCM sound loads.
int LoadWavFile(OPENEDFILE* of, const std::string& filename);
// Plays the whole data chunk Repeat times; the window gets the completion. A playback
// still running is stopped first. Returns 1 when playback has started; with no sound
// device at all, says "No sound device".
int PlayWav(QWidget* hwndApp, OPENEDFILE* of, int Repeat);
// The completion notice of the device `serial` (stale notices are ignored).
void WaveDone(QWidget* hwndApp, OPENEDFILE* of, uint64_t serial);
// Stops the device if one is open and frees the header, data and format blocks.
void CleanupWave(OPENEDFILE* of);
void PrintWaveInfo(QWidget* hwnd, OPENEDFILE* of);
// Appends the outline point at the client position in packedPos (x low, y high 16 bits).
void AddItem(QWidget* window, OPENEDFILE* of, long packedPos);
// Overwrites the samples from the outline and marks the document changed; an outline of
// fewer than two points changes nothing.
void MakeForm(OPENEDFILE* of);
