#pragma once
// Where the DXF reader's notices go: a windowed program has no console, so everything the
// reader has to say lands on standard error.
void DxfReport(const char* text);
// Set by callers that read many drawings in a row (the fuzz target) to keep the notices out.
extern bool DxfQuiet;
