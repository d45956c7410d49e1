#include "stereo/stereo_options.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <tuple>
#include <utility>

namespace {

struct FieldRule {
    const char* label;
    const char* range;
    bool (*ok)(int);
};

const FieldRule kOversam{"Oversample factor", "1, 2, 4 or 6",
                         [](int v) { return v == 1 || v == 2 || v == 4 || v == 6; }};
// Level 127 must still lie behind the screen plane.
const FieldRule kBkdepth{"Background depth", "a whole number of -128 or less, so that every depth lies behind the screen",
                         [](int v) { return v <= -128; }};
// A separation wider than the widest picture a reader accepts only repeats the texture.
const FieldRule kEye{"Eye separation", "a whole number from 1 to 32768", [](int v) { return v >= 1 && v <= 32768; }};
const FieldRule kDistance{"Observer screen distance", "a whole number of 1 or more", [](int v) { return v >= 1; }};

std::string RangeMessage(const FieldRule& r) { return std::string(r.label) + " must be " + r.range + "."; }

std::string NotANumberMessage(const FieldRule& r) {
    return std::string(r.label) + " is not a number: it must be " + r.range + ".";
}

}  // namespace

NumberReading ParseStereoNumber(const std::string& text, int& value) {
    size_t b = text.find_first_not_of(" \t");
    size_t e = text.find_last_not_of(" \t");
    if (b == std::string::npos) return NumberReading::NotANumber;
    std::string s = text.substr(b, e - b + 1);
    size_t digits = s[0] == '-' ? 1 : 0;
    if (digits == s.size()) return NumberReading::NotANumber;
    for (size_t i = digits; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9') return NumberReading::NotANumber;
    errno = 0;
    long long v = std::strtoll(s.c_str(), nullptr, 10);
    if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return NumberReading::TooLarge;
    value = int(v);
    return NumberReading::Ok;
}

std::string ValidateStereoOptions(const StereoOptions& opts) {
    const std::pair<const FieldRule*, int> order[] = {
        {&kOversam, opts.oversam}, {&kBkdepth, opts.bkdepth}, {&kEye, opts.Eye}, {&kDistance, opts.o}};
    for (const auto& [rule, v] : order)
        if (!rule->ok(v)) return RangeMessage(*rule);
    return {};
}

std::string ReadStereoField(StereoField field, const std::string& text, int& value) {
    const FieldRule* rules[] = {&kOversam, &kBkdepth, &kEye, &kDistance};
    const FieldRule& rule = *rules[int(field)];
    int v = 0;
    switch (ParseStereoNumber(text, v)) {
    case NumberReading::NotANumber: return NotANumberMessage(rule);
    case NumberReading::TooLarge: return RangeMessage(rule);
    case NumberReading::Ok: break;
    }
    if (!rule.ok(v)) return RangeMessage(rule);
    value = v;
    return {};
}

std::string ReadStereoFields(const StereoFieldTexts& fields, StereoOptions& out) {
    StereoOptions next = out;
    const std::tuple<StereoField, const std::string*, int*> order[] = {
        {StereoField::Oversample, &fields.oversam, &next.oversam},
        {StereoField::BackgroundDepth, &fields.bkdepth, &next.bkdepth},
        {StereoField::Eye, &fields.Eye, &next.Eye},
        {StereoField::Distance, &fields.o, &next.o},
    };
    for (const auto& [field, text, dest] : order)
        if (std::string why = ReadStereoField(field, *text, *dest); !why.empty()) return why;
    out = next;
    return {};
}
