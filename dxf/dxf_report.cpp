#include "dxf/dxf_report.h"

#include <cstdio>

bool DxfQuiet = false;

void DxfReport(const char* text) {
    if (DxfQuiet) return;
    std::fputs(text, stderr);
    std::fflush(stderr);
}
