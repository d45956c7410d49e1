#pragma once
// Where the DXF reader's notices go: a windowed program has no console, so everything the
// reader has to say lands on standard error.
void DxfReport(const char* text);
