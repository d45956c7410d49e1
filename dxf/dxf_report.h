#pragma once
// Where the DXF reader's notices go: a windowed program has no console, so everything the
// reader has to say lands on standard error.
void DxfReport(const char* text);

// While one lives, the notices of its thread are dropped: for callers that read many drawings
// in a row or report the reader's error themselves.
class DxfNoticesMuted {
public:
    DxfNoticesMuted();
    ~DxfNoticesMuted();
    DxfNoticesMuted(const DxfNoticesMuted&) = delete;
    DxfNoticesMuted& operator=(const DxfNoticesMuted&) = delete;

private:
    bool before_;
};
