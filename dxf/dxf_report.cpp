#include "dxf/dxf_report.h"

#include <cstdio>

namespace {
thread_local bool muted = false;
}

DxfNoticesMuted::DxfNoticesMuted() : before_(muted) { muted = true; }
DxfNoticesMuted::~DxfNoticesMuted() { muted = before_; }

void DxfReport(const char* text) {
    if (muted) return;
    std::fputs(text, stderr);
    std::fflush(stderr);
}
