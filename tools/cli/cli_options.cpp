// The option table of a command: parsing, value stores and the help text.
#include "images/picture_format.h"
#include "stereo/stereo_options.h"
#include "tools/cli/cli.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace {

std::string Synopsis(const CliSyntax& syntax) {
    std::string s = "usage: orvalis-cli " + syntax.command;
    bool optional = false;
    for (const CliOption& o : syntax.options) {
        if (o.required) s += " " + o.name + (o.value.empty() ? "" : " " + o.value);
        else optional = true;
    }
    if (optional) s += " [OPTION]...";
    for (const std::string& op : syntax.operands) s += " " + op;
    return s;
}

void PrintHelp(const CliSyntax& syntax) {
    std::printf("%s\n%s\n", Synopsis(syntax).c_str(), syntax.summary.c_str());
    if (!syntax.options.empty()) std::printf("\n");
    for (const CliOption& o : syntax.options) {
        const std::string left = o.name + (o.value.empty() ? "" : " " + o.value);
        std::printf("  %-24s %s%s\n", left.c_str(), o.help.c_str(), o.required ? " (required)" : "");
    }
    std::printf("  %-24s %s\n", "--help", "show this help");
}

const CliOption* Find(const CliSyntax& syntax, const std::string& name) {
    for (const CliOption& o : syntax.options)
        if (o.name == name) return &o;
    return nullptr;
}

}  // namespace

CliTake CliText(std::string& out) {
    return [&out](const std::string& v) {
        out = v;
        return std::string();
    };
}

CliTake CliDepthMode(int& mode) {
    return [&mode](const std::string& v) -> std::string {
        for (int m : {kDepthAuto, kDepthClassic, kDepthGrey})
            if (v == (m == kDepthAuto ? "auto" : DepthModeName(m))) {
                mode = m;
                return "";
            }
        return "must be auto, classic or grey";
    };
}

CliTake CliMarks(int& marks) {
    return [&marks](const std::string& v) -> std::string {
        const int m = MarksFromName(v);
        if (m < 0) return "must be dots, triangles or off";
        marks = m;
        return "";
    };
}

CliTake CliSwitch(int& out) {
    return [&out](const std::string&) {
        out = 1;
        return std::string();
    };
}

CliTake CliNoted(CliTake take, bool& given) {
    return [take = std::move(take), &given](const std::string& v) {
        given = true;
        return take(v);
    };
}

CliTake CliWhole(int& out, long long lo, long long hi) {
    return [&out, lo, hi](const std::string& v) {
        char* end = nullptr;
        errno = 0;
        const long long n = v.empty() ? 0 : std::strtoll(v.c_str(), &end, 10);
        if (v.empty() || *end || errno == ERANGE || n < lo || n > hi)
            return "must be a whole number from " + std::to_string(lo) + " to " + std::to_string(hi);
        out = int(n);
        return std::string();
    };
}

CliTake CliNumber(double& out, double lo, double hi) {
    return [&out, lo, hi](const std::string& v) {
        char* end = nullptr;
        const double d = v.empty() ? 0.0 : std::strtod(v.c_str(), &end);
        if (v.empty() || *end || !std::isfinite(d) || d < lo || d > hi) {
            char range[96];
            std::snprintf(range, sizeof range, "must be a number from %g to %g", lo, hi);
            return std::string(range);
        }
        out = d;
        return std::string();
    };
}

CliTake CliOutputPicture(std::string& out) {
    return [&out](const std::string& v) {
        if (PictureFormatFromName(v) == PictureFormat::None)
            return "'" + v + "' names no picture type we write (the name must end in " + PictureFormatList() + ")";
        out = v;
        return std::string();
    };
}

// The texture option: a picture's name, or a built-in texture whose seed must be a number.
CliTake CliTextureName(std::string& path, CliRandomTexture& random) {
    return [&](const std::string& v) -> std::string {
        random = {};
        path = v;
        const bool bw = v.rfind("random-bw", 0) == 0;
        const size_t stem = bw ? 9 : 6;
        if (v.rfind("random", 0) != 0 || (v.size() > stem && v[stem] != ':')) return "";
        random = {true, bw, 1};
        if (v.size() == stem) return "";
        const char *b = v.data() + stem + 1, *e = v.data() + v.size();
        const auto r = std::from_chars(b, e, random.seed);
        return b == e || r.ec != std::errc() || r.ptr != e ? "the seed must be a whole number from 0 to 4294967295" : "";
    };
}

// "WxH" into the two size fields, which are checked with the others.
CliTake CliStereoSize(StereoFieldTexts& f, bool& given) {
    return [&](const std::string& v) -> std::string {
        given = true;
        const size_t x = v.find('x');
        if (x == std::string::npos || x == 0 || x + 1 == v.size()) return "must be WIDTHxHEIGHT, such as 1920x1080";
        f.OutWidth = v.substr(0, x);
        f.OutHeight = v.substr(x + 1);
        return "";
    };
}

int CliStereoFields(const std::string& command, StereoFieldTexts& f, bool sized, StereoOptions& o,
                    const char* const* names) {
    StereoField bad{};
    if (std::string why = ReadStereoFields(f, o, &bad); !why.empty()) {
        // The option of each field, in StereoField order.
        const char* const plain[] = {"--oversample", "--background-depth", "--eye", "--distance",
                                     "--relief", "--size", "--size"};
        return CliUsageError(command, std::string((names ? names : plain)[int(bad)]) + ": " + why);
    }
    // An empty side takes the depth picture's, which --size cannot ask for.
    if (sized && (!o.OutWidth || !o.OutHeight))
        return CliUsageError(command, std::string("--size: ") + (o.OutWidth ? "Result height" : "Result width") +
                                           " must be a whole number from " + std::to_string(kMinOutSide) + " to " +
                                           std::to_string(kMaxOutSide) + ".");
    return 0;
}

int CliUsageError(const std::string& command, const std::string& message) {
    std::fprintf(stderr, "orvalis-cli %s: %s\nTry 'orvalis-cli %s --help'.\n", command.c_str(), message.c_str(),
                 command.c_str());
    return 2;
}

int CliFileError(const std::string& path, const std::string& message) {
    std::fprintf(stderr, "orvalis-cli: %s: %s\n", path.c_str(), message.c_str());
    return 1;
}

int CliWriteError(const std::string& path) {
    return CliFileError(path, errno ? std::strerror(errno) : "cannot write the file");
}

int CliRefuseSize(const std::string& command, const std::string& option, const std::string& path, int width,
                  int height) {
    const std::string why = PictureSizeRefusal(PictureFormatFromName(path), width, height);
    return why.empty() ? 0 : CliUsageError(command, option + ": " + why);
}

int CliNoMemory(int width, int height, const char* what) {
    std::fprintf(stderr, "orvalis-cli: %s\n", NotEnoughMemoryFor(width, height, what).c_str());
    return 1;
}

int CliParse(const CliSyntax& syntax, const std::vector<std::string>& args, std::vector<std::string>* operands) {
    std::vector<std::string> rest;
    std::set<std::string> given;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            PrintHelp(syntax);
            return 0;
        }
        if (a.size() < 2 || a[0] != '-') {
            rest.push_back(a);
            continue;
        }
        const size_t eq = a.rfind("--", 0) == 0 ? a.find('=') : std::string::npos;
        const std::string name = a.substr(0, eq);
        const CliOption* o = Find(syntax, name);
        if (!o) return CliUsageError(syntax.command, "unknown option " + name);
        std::string value;
        if (o->value.empty()) {
            if (eq != std::string::npos) return CliUsageError(syntax.command, name + " takes no value");
        } else if (eq != std::string::npos) {
            value = a.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return CliUsageError(syntax.command, name + " needs a value (" + o->value + ")");
        }
        if (std::string why = o->take(value); !why.empty()) return CliUsageError(syntax.command, name + ": " + why);
        given.insert(name);
    }
    for (const CliOption& o : syntax.options)
        if (o.required && !given.count(o.name))
            return CliUsageError(syntax.command, "missing option " + o.name + (o.value.empty() ? "" : " " + o.value));
    // An operand in brackets ("[MODEL]") may be left out.
    if (rest.size() < syntax.operands.size() && syntax.operands[rest.size()][0] != '[') return CliUsageError(syntax.command, "missing " + syntax.operands[rest.size()]);
    if (rest.size() > syntax.operands.size()) return CliUsageError(syntax.command, "unexpected argument '" + rest[syntax.operands.size()] + "'");
    if (operands) *operands = std::move(rest);
    return -1;
}
