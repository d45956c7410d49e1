// orvalis-cli dxf-info FILE: what the DXF reader makes of a drawing.
#include "dxf/dxf_reader.h"
#include "dxf/dxf_report.h"
#include "tools/cli/cli.h"

#include <cstdio>

namespace {
int DxfInfo(const std::vector<std::string>& args) {
    std::vector<std::string> file;
    const CliSyntax syntax{"dxf-info", "Prints the faces, points and coordinate range the DXF reader finds in a drawing.",
                       {"FILE"}, {}};
    if (int status = CliParse(syntax, args, &file); status >= 0) return status;
    const DxfNoticesMuted quiet;  // the reader's notices would repeat the error printed below
    DxfDrawing d = ReadDxfFile(file[0].c_str());
    if (!d.error.empty()) return CliFileError(file[0], d.error);
    const int faces = d.faces ? d.faces->face_count() : 0;
    // Any file reads as a drawing that has nothing in it; that is no answer to give.
    if (faces == 0 && d.range.GetMin() > d.range.GetMax()) return CliFileError(file[0], "no drawing in this file");
    std::printf("faces %d\n", faces);
    std::printf("points %ld\n", d.faces ? d.faces->point_count() : 0L);
    std::printf("range %g %g\n", double(d.range.GetMin()), double(d.range.GetMax()));
    return 0;
}
CliCommand reg("dxf-info", "faces, points and coordinate range of a DXF drawing", DxfInfo);
}  // namespace
