#include "dxf/dxf_reader.h"
#include "dxf/dxf_report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const DxfNoticesMuted quiet;
    DxfDrawing d = ReadDxfBytes(data, size);
    (void)d;
    return 0;
}
