#include "stereo/stereo_options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

namespace {

const std::string kOver = "Oversample factor must be 1, 2, 4 or 6.";
const std::string kDepth =
    "Background depth must be a whole number of -128 or less, so that every depth lies behind the screen.";
const std::string kEye = "Eye separation must be a whole number of 1 or more.";
const std::string kDist = "Observer screen distance must be a whole number of 1 or more.";
const std::string kNaN = " is not a number: it must be ";

auto Tie(const StereoOptions& s) {
    return std::tie(s.oversam, s.bkdepth, s.Eye, s.o, s.BlocksOnTop, s.dohiddenrem, s.invert);
}

TEST(StereoOptions, FieldsAreStoredOnlyWhenAllAreGoodElseTheFirstBadOneNamesItsRange) {
    const StereoOptions start{2, -900, 100, 600, 1, 0, 1};
    struct Case {
        StereoFieldTexts fields;
        std::string message;
        StereoOptions want;
    } cases[] = {
        {{" 6 ", "-128", "1", "1"}, "", {6, -128, 1, 1, 1, 0, 1}},
        {{"2", "-2147483648", "2147483647", "2147483647"}, "", {2, INT32_MIN, INT32_MAX, INT32_MAX, 1, 0, 1}},
        {{"3", "-800", "150", "700"}, kOver, start},
        {{"0", "x", "0", "0"}, kOver, start},
        {{"4x", "-800", "150", "700"}, "Oversample factor" + kNaN + "1, 2, 4 or 6.", start},
        {{"", "-800", "150", "700"}, "Oversample factor" + kNaN + "1, 2, 4 or 6.", start},
        {{"1", "-127", "150", "700"}, kDepth, start},
        {{"1", "-99999999999", "150", "700"}, kDepth, start},
        {{"1", "--800", "150", "700"},
         "Background depth" + kNaN + "a whole number of -128 or less, so that every depth lies behind the screen.",
         start},
        {{"1", "-800", "0", "0"}, kEye, start},
        {{"1", "-800", "1.5", "700"}, "Eye separation" + kNaN + "a whole number of 1 or more.", start},
        {{"1", "-800", "150", "0"}, kDist, start},
        {{"1", "-800", "150", "4294967296"}, kDist, start},
        {{"1", "-800", "150", "+700"}, "Observer screen distance" + kNaN + "a whole number of 1 or more.", start},
    };
    for (const Case& c : cases) {
        StereoOptions opts = start;
        EXPECT_EQ(c.message, ReadStereoFields(c.fields, opts))
            << c.fields.oversam << " | " << c.fields.bkdepth << " | " << c.fields.Eye << " | " << c.fields.o;
        EXPECT_EQ(Tie(c.want), Tie(opts)) << c.fields.oversam << " | " << c.fields.bkdepth;
    }
}

}  // namespace
