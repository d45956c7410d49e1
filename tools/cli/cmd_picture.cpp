// orvalis-cli picture IN OUT.bmp: any picture the program opens, written as a 24-bit BMP.
#include "images/bmp_writer.h"
#include "images/picture_file.h"
#include "tools/cli/cli.h"

#include <cstdio>

namespace {

int picture(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: orvalis-cli picture IN OUT.bmp\n");
        return 2;
    }
    const PictureResult r = ReadPictureFile(args[0]);
    if (!r.ok) {
        for (const UserMessage& m : r.messages) {
            const bool newline = !m.text.empty() && m.text.back() == '\n';
            std::fprintf(stderr, "%s%s", m.text.c_str(), newline ? "" : "\n");
        }
        return 1;
    }
    if (!WriteBmp24(args[1], r.image)) {
        std::fprintf(stderr, "orvalis-cli: cannot write %s\n", args[1].c_str());
        return 1;
    }
    return 0;
}

CliCommand reg("picture", "IN OUT.bmp", picture);

}  // namespace
