// orvalis-cli dxf-info FILE: what the DXF reader makes of a drawing.
#include "dxf/dxf_reader.h"
#include "tools/cli/cli.h"

#include <cstdio>

namespace {
int DxfInfo(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: orvalis-cli dxf-info FILE\n");
        return 2;
    }
    DxfDrawing d = ReadDxfFile(args[0].c_str());
    if (!d.error.empty()) {
        std::fprintf(stderr, "dxf-info: %s: %s\n", args[0].c_str(), d.error.c_str());
        return 1;
    }
    std::printf("faces %d\n", d.faces ? d.faces->face_count() : 0);
    std::printf("points %ld\n", d.faces ? d.faces->point_count() : 0L);
    std::printf("range %g %g\n", double(d.range.GetMin()), double(d.range.GetMax()));
    return 0;
}
CliCommand reg("dxf-info", "FILE", DxfInfo);
}  // namespace
