#include "stereo/stereo_options.h"

#include "platform/c_text.h"
#include "platform/little_endian.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <tuple>
#include <utility>

namespace {

// A field's name, the range it must lie in (which may depend on the other values), and the test.
struct FieldRule {
    const char* label;
    std::string (*range)(const StereoOptions& opts);
    bool (*ok)(int v, const StereoOptions& opts);
};

int UsableRelief(const StereoOptions& opts) { return opts.relief >= 1 && opts.relief <= kMaxRelief ? opts.relief : 127; }

std::string AtLeastOne(const StereoOptions&) { return "a whole number of 1 or more"; }
bool Positive(int v, const StereoOptions&) { return v >= 1; }
std::string SideRange(const StereoOptions&) { return "empty or a whole number from 16 to 16384"; }
bool SideOk(int v, const StereoOptions&) { return v == 0 || (v >= kMinOutSide && v <= kMaxOutSide); }

const FieldRule kOversam{"Oversample factor", [](const StereoOptions&) { return std::string("1, 2, 4 or 6"); },
                         [](int v, const StereoOptions&) { return v == 1 || v == 2 || v == 4 || v == 6; }};
// The nearest depth value must still lie behind the screen plane.
const FieldRule kBkdepth{"Background depth",
                         [](const StereoOptions& opts) {
                             return "a whole number of " + std::to_string(-UsableRelief(opts) - 1) +
                                    " or less, so that every depth lies behind the screen";
                         },
                         [](int v, const StereoOptions& opts) { return int64_t(v) + UsableRelief(opts) < 0; }};
// A separation wider than the widest picture a reader accepts only repeats the texture.
const FieldRule kEye{"Eye separation", [](const StereoOptions&) { return std::string("a whole number from 1 to 32768"); },
                     [](int v, const StereoOptions&) { return v >= 1 && v <= 32768; }};
const FieldRule kDistance{"Observer screen distance", AtLeastOne, Positive};
const FieldRule kRelief{"Relief", [](const StereoOptions&) { return std::string("a whole number from 1 to 4000"); },
                        [](int v, const StereoOptions&) { return v >= 1 && v <= kMaxRelief; }};
const FieldRule kOutWidth{"Result width", SideRange, SideOk};
const FieldRule kOutHeight{"Result height", SideRange, SideOk};

std::string RangeMessage(const FieldRule& r, const StereoOptions& opts) {
    return std::string(r.label) + " must be " + r.range(opts) + ".";
}

std::string NotANumberMessage(const FieldRule& r, const StereoOptions& opts) {
    return std::string(r.label) + " is not a number: it must be " + r.range(opts) + ".";
}

}  // namespace

// Only blanks and tabs around the number, unlike the C library's wider set of spaces.
NumberReading ParseStereoNumber(const std::string& text, int& value) {
    const size_t b = text.find_first_not_of(" \t");
    if (b == std::string::npos) return NumberReading::NotANumber;
    const std::string_view s = std::string_view(text).substr(b, text.find_last_not_of(" \t") - b + 1);
    const bool negative = s[0] == '-';
    const DigitRun d = ReadDigits(s.substr(negative));
    if (d.length == 0 || d.length != s.size() - negative) return NumberReading::NotANumber;
    if (d.wide || d.value > (negative ? uint64_t(1) << 31 : uint64_t(INT32_MAX))) return NumberReading::TooLarge;
    value = int(negative ? -int64_t(d.value) : int64_t(d.value));
    return NumberReading::Ok;
}

std::string ValidateStereoOptions(const StereoOptions& opts) {
    const std::pair<const FieldRule*, int> order[] = {
        {&kOversam, opts.oversam}, {&kBkdepth, opts.bkdepth}, {&kEye, opts.Eye},
        {&kDistance, opts.o},      {&kRelief, opts.relief},   {&kOutWidth, opts.OutWidth},
        {&kOutHeight, opts.OutHeight}};
    for (const auto& [rule, v] : order)
        if (!rule->ok(v, opts)) return RangeMessage(*rule, opts);
    if (opts.DepthMode != kDepthClassic && opts.DepthMode != kDepthGrey && opts.DepthMode != kDepthAuto)
        return "Depth source must be automatic, classic or grey.";
    if (opts.viewing != kViewParallel && opts.viewing != kViewCross) return "Viewing must be parallel or cross-eyed.";
    if (opts.dots < kMarksOff || opts.dots > kMarksTriangles) return "Convergence marks must be off, dots or triangles.";
    if (opts.smooth < 0 || opts.smooth > kMaxSmooth)
        return "Smooth must be a whole number from 0 to " + std::to_string(kMaxSmooth) + ".";
    if (opts.dpi < 0 || opts.dpi > kMaxDpi) return "Resolution must be a whole number from 1 to " + std::to_string(kMaxDpi) + ", or 0 for the format's usual.";
    // The lines of sight it follows meet behind the screen.
    if (opts.viewing == kViewCross && opts.dohiddenrem)
        return "Hidden-surface removal works with parallel viewing only.";
    return {};
}

std::string ReadStereoFields(const StereoFieldTexts& fields, StereoOptions& out, StereoField* bad) {
    StereoOptions next = out;
    const std::tuple<const FieldRule*, const std::string*, int*> order[] = {
        {&kOversam, &fields.oversam, &next.oversam},  {&kBkdepth, &fields.bkdepth, &next.bkdepth},
        {&kEye, &fields.Eye, &next.Eye},              {&kDistance, &fields.o, &next.o},
        {&kRelief, &fields.relief, &next.relief},     {&kOutWidth, &fields.OutWidth, &next.OutWidth},
        {&kOutHeight, &fields.OutHeight, &next.OutHeight},
    };
    // Background depth is checked against the relief, which comes later in the order.
    int relief = 0;
    if (ParseStereoNumber(fields.relief, relief) == NumberReading::Ok) next.relief = relief;
    for (size_t i = 0; i < std::size(order); ++i) {
        const auto& [rule, text, dest] = order[i];
        const bool side = rule == &kOutWidth || rule == &kOutHeight;
        if (side && text->find_first_not_of(" \t") == std::string::npos) {
            *dest = 0;
            continue;
        }
        std::string why;
        switch (ParseStereoNumber(*text, *dest)) {
        case NumberReading::NotANumber: why = NotANumberMessage(*rule, next); break;
        case NumberReading::TooLarge: why = RangeMessage(*rule, next); break;
        case NumberReading::Ok:
            if (!rule->ok(*dest, next)) why = RangeMessage(*rule, next);
            break;
        }
        if (!why.empty()) {
            if (bad) *bad = StereoField(i);
            return why;
        }
    }
    out = next;
    return {};
}

const char* MarksName(int marks) {
    return marks == kMarksDots ? "dots" : marks == kMarksTriangles ? "triangles" : "off";
}

int MarksFromName(const std::string& name) {
    for (int m : {kMarksOff, kMarksDots, kMarksTriangles})
        if (name == MarksName(m)) return m;
    return -1;
}

const char* DepthModeName(int mode) {
    return mode == kDepthGrey ? "grey" : mode == kDepthClassic ? "classic" : "automatic";
}

int64_t StereoSeparation(const StereoOptions& opts, int64_t d, int ov) {
    const int64_t t = (opts.viewing == kViewCross ? opts.relief - d : d) + opts.bkdepth;
    // The product can pass 64 bits for extreme values; the quotient never passes Eye x ov.
    return int64_t(__int128(int64_t(opts.Eye) * ov) * t / (t - opts.o));
}

int BackgroundSeparation(const StereoOptions& opts) { return int(StereoSeparation(opts, 0)); }

int64_t MmToPixels(double mm, double dpi) { return std::llround(mm * dpi / kMmPerInch); }
double PixelsToMm(double px, double dpi) { return px * kMmPerInch / dpi; }
int DpiToPerMetre(double dpi) { return int(std::lround(dpi * 1000 / kMmPerInch)); }

// Values past int are clamped, so that the checks name them as out of range.
static int ClampToInt(int64_t v) { return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

void SetEyeMm(StereoOptions& opts, double mm, double dpi) { opts.Eye = ClampToInt(MmToPixels(mm, dpi)); }

void SetDistanceMm(StereoOptions& opts, double mm, double dpi) {
    opts.o = ClampToInt(MmToPixels(mm, dpi));
    opts.bkdepth = -opts.o;
}

void SetDepthOfField(StereoOptions& opts, double fraction) {
    opts.relief = ClampToInt(std::llround(fraction * -double(opts.bkdepth)));
}

void ApplyPhysical(StereoOptions& opts, const PhysicalViewing& p) {
    SetEyeMm(opts, p.eyeMm, p.dpi);
    SetDistanceMm(opts, p.distanceMm, p.dpi);
    SetDepthOfField(opts, p.depthOfField);
}

PhysicalViewing PhysicalOf(const StereoOptions& opts, double dpi) {
    return {PixelsToMm(opts.Eye, dpi), PixelsToMm(opts.o, dpi), dpi,
            opts.bkdepth < 0 ? opts.relief / -double(opts.bkdepth) : 0.0};
}

static std::string DpiText(double dpi) {
    char b[32];
    std::snprintf(b, sizeof b, "%g", dpi);
    return b;
}

std::string PrintSizePixels(const std::string& text, double dpi, int& width, int& height) {
    double w = 0, h = 0;
    if (text == "A4" || text == "a4") {
        w = 210, h = 297;
    } else if (text == "Letter" || text == "letter") {
        w = 8.5 * kMmPerInch, h = 11 * kMmPerInch;
    } else {
        char* end = nullptr;
        const char* b = text.c_str();
        w = std::strtod(b, &end);
        if (end == b || *end != 'x') return "must be A4, Letter or WIDTHxHEIGHTmm, such as 100x150mm";
        b = end + 1;
        h = std::strtod(b, &end);
        if (end == b || std::string(end) != "mm" || !(w > 0) || !(h > 0) || w > 1e6 || h > 1e6)
            return "must be A4, Letter or WIDTHxHEIGHTmm, such as 100x150mm";
    }
    const int64_t pw = MmToPixels(w, dpi), ph = MmToPixels(h, dpi);
    if (pw < kMinOutSide || ph < kMinOutSide || pw > kMaxOutSide || ph > kMaxOutSide)
        return "the page is " + std::to_string(pw) + " x " + std::to_string(ph) + " pixels at " +
               DpiText(dpi) + " dpi; each side must be from 16 to 16384";
    width = int(pw);
    height = int(ph);
    return {};
}

namespace {
// Each record's tag and size, newest first.
constexpr std::pair<const char*, size_t> kRecords[] = {
    {"OSO3", kStoredStereoOptionsSize}, {"OSO2", kOso2StoredSize}, {"OSO1", kOldStoredStereoOptionsSize}};
// The stored words in their order; the older records end before the DPI or the viewing.
std::array<int*, 15> Words(StereoOptions& o) {
    return {&o.oversam, &o.bkdepth,  &o.Eye,      &o.o,         &o.BlocksOnTop, &o.dohiddenrem, &o.invert, &o.DepthMode,
            &o.relief,  &o.OutWidth, &o.OutHeight, &o.dots,     &o.viewing,     &o.dpi,         &o.smooth};
}
}  // namespace

std::array<uint8_t, kStoredStereoOptionsSize> StereoOptionsToBytes(const StereoOptions& opts) {
    std::array<uint8_t, kStoredStereoOptionsSize> b{};
    std::memcpy(b.data(), kRecords[0].first, 4);
    StereoOptions o = opts;
    uint8_t* p = b.data() + 4;
    for (int* v : Words(o)) {
        PutLe32(p, uint32_t(*v));
        p += 4;
    }
    return b;
}

bool StereoOptionsFromStored(StereoOptions& opts, const uint8_t* data, size_t size) {
    opts = StereoOptions();
    if (std::none_of(std::begin(kRecords), std::end(kRecords),
                     [&](const auto& r) { return size == r.second && std::memcmp(data, r.first, 4) == 0; }))
        return false;
    StereoOptions o;
    const uint8_t* p = data + 4;
    for (int* v : Words(o)) {
        if (p == data + size) break;  // the older record's last word read
        *v = int(int32_t(Le32(p)));
        p += 4;
    }
    for (int flag : {o.BlocksOnTop, o.dohiddenrem, o.invert})
        if (flag != 0 && flag != 1) return false;
    if (!ValidateStereoOptions(o).empty()) return false;
    opts = o;
    return true;
}
