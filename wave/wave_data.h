#pragma once
// The block of a wave document: the plain sound and outline state, the open output
// device, and what the views keep between paints.
#include "documents/opened_file.h"
#include "wave/wave_format.h"
#include "wave/wave_out.h"
#include "wave/wave_summary.h"

#include <QImage>
#include <memory>
#include <vector>

struct WAVE_DATA : ClientBlock, WaveState {
    // Bumped whenever the samples change, so the view caches below are remade.
    uint64_t generation = 0;

    // Channel view: per-column summaries for a client width.
    int summaryWidth = -1;
    uint64_t summaryGeneration = 0;
    std::vector<ColumnRange> summaryLeft, summaryRight;

    // X/Y views: axes and trace on a transparent picture for a client size.
    QImage xyTrace;
    uint64_t xyGeneration = 0;

    // Declared last so it goes first: the device stops before any block it reads is freed.
    std::unique_ptr<WaveOut> hWaveOut;
};
