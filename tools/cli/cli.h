#pragma once
// orvalis-cli: each subcommand lives in its own cmd_*.cpp and registers itself here. A
// command's options are the rows of a table, so an option is added by adding a row.
#include "images/image32.h"
#include "images/picture_file.h"
#include "stereo/stereo_options.h"

#include <cstdint>

#include <functional>
#include <string>
#include <vector>

// Stores an option's value; returns why the value is refused, or "".
using CliTake = std::function<std::string(const std::string& value)>;

struct CliOption {
    std::string name;   // "--eye" or "-o"
    std::string value;  // what the help calls the value ("N"); empty for a switch
    std::string help;
    CliTake take;       // a switch is taken with an empty value
    bool required = false;
};

struct CliSyntax {
    std::string command;                // "stereo"
    std::string summary;                // what the command does, one line
    std::vector<std::string> operands;  // the positional arguments, all required ("IN", "OUT")
    std::vector<CliOption> options;
};

// Stores for the table rows.
CliTake CliText(std::string& out);
CliTake CliSwitch(int& out);
// An option's store that also notes that the option was given.
CliTake CliNoted(CliTake take, bool& given);
// A whole number from lo to hi.
CliTake CliWhole(int& out, long long lo, long long hi);
// A finite number from lo to hi.
CliTake CliNumber(double& out, double lo, double hi);
// A depth picture's mode: auto, classic or grey (kDepthAuto, kDepthClassic, kDepthGrey).
CliTake CliDepthMode(int& mode);
// The name of a picture to write: its extension must name a format we write.
CliTake CliOutputPicture(std::string& out);

// A built-in texture named by --texture: "random" or "random-bw", with an optional ":SEED".
struct CliRandomTexture {
    bool used = false, bw = false;
    uint32_t seed = 1;
};
// The texture option: a picture's name, or a built-in texture whose seed must be a number.
CliTake CliTextureName(std::string& path, CliRandomTexture& random);
// "WxH" into the two size fields, which are checked with the others.
CliTake CliStereoSize(StereoFieldTexts& f, bool& given);
// Checks the stereogram's number fields once all are given, into `o`: 0, or 2 after printing
// the usage error of the first bad one's option (`names`: the options of the fields in
// StereoField order, when they are not the usual ones).
int CliStereoFields(const std::string& command, StereoFieldTexts& f, bool sized, StereoOptions& o,
                    const char* const* names = nullptr);

// Reads `args` (options as "--name value" or "--name=value", anywhere among the operands)
// into the table's stores and `operands`. Returns -1 to go on, else the exit status: 0 after
// printing the help for --help, 2 after printing a usage error.
int CliParse(const CliSyntax& syntax, const std::vector<std::string>& args, std::vector<std::string>* operands = nullptr);
// "orvalis-cli COMMAND: message" and where the help is, on standard error; returns 2.
int CliUsageError(const std::string& command, const std::string& message);
// "orvalis-cli: PATH: message" on standard error; returns 1.
int CliFileError(const std::string& path, const std::string& message);
// CliFileError with the system's reason in errno, after a failed write; returns 1.
int CliWriteError(const std::string& path);
// Refuses, as a usage error of `option`, a width x height picture that the format `path`
// names cannot hold; returns 0 when it can.
int CliRefuseSize(const std::string& command, const std::string& option, const std::string& path, int width,
                  int height);
// "orvalis-cli: not enough memory for a W x H picture" (or `what`) on standard error; returns 1.
int CliNoMemory(int width, int height, const char* what = "picture");

// The picture at `path` as the program opens it; false after printing the loader's messages.
bool CliReadPicture(const std::string& path, Image32& out);
// The reader and writer of the pictures the formats module handles, for code that takes them as
// functions: the writer returns "" or why.
PictureResult CliReadOtherPicture(const std::string& path);
std::string CliWriteOtherPicture(const std::string& path, const Image32& img);
// The loader's messages of a failed read, or the dispatch's when it has none; returns 1.
int CliPictureError(const std::string& path, const PictureResult& failed);
// Writes the picture in the format its name asks for; 0, or 1 after printing why not.
int CliWritePicture(const std::string& path, const Image32& img);

using CliHandler = int (*)(const std::vector<std::string>& args);
struct CliCommand {
    CliCommand(const char* name, const char* summary, CliHandler handler);
};

// The shape of `text` through the formats module (cli_formats.h): 0, or 1 after printing why not.
int CliTextShape(const std::string& text, const std::string& family, int width, int height, int margin,
                 std::vector<uint8_t>& inside);

// A 3-D model's depth picture (tools/cli/cli_model.cpp).
struct MeshView;
constexpr int kCliMinSide = 16, kCliMaxSide = 16384;
// "WxH", each side kCliMinSide to kCliMaxSide.
CliTake CliSize(int& width, int& height);
// Three angles in degrees, "X,Y,Z", each -3600 to 3600.
CliTake CliAngles(double (&out)[3]);
// --turn, --zoom, --perspective and --orthographic, stored in `view` and `orthographic`.
std::vector<CliOption> CliModelOptions(MeshView& view, int& orthographic);
// The depth of the model at `path` seen as `view` asks (the projection from `orthographic`),
// as 16-bit grey with its 8-bit grey beside it: 0, or 1 after printing why not.
int CliModelDepth(const std::string& path, MeshView view, int orthographic, Image32& out);
// A picture of 16-bit grey values: 0, or 1 after printing that it does not fit in memory.
int CliGreyPicture(int width, int height, std::vector<uint16_t> grey, Image32& out);
