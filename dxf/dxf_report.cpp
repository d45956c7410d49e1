#include "dxf/dxf_report.h"

#include <cstdio>

void DxfReport(const char* text) {
    std::fputs(text, stderr);
    std::fflush(stderr);
}
