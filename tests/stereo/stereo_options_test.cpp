#include "stereo/stereo_options.h"

#include <gtest/gtest.h>

namespace {

TEST(StereoOptions, DefaultsAreTheStartValues) {
    StereoOptions d;
    EXPECT_EQ(1, d.oversam);
    EXPECT_EQ(-800, d.bkdepth);
    EXPECT_EQ(150, d.Eye);
    EXPECT_EQ(700, d.o);
    EXPECT_EQ(0, d.BlocksOnTop + d.dohiddenrem + d.invert);
    EXPECT_EQ("", ValidateStereoOptions(d));
}

TEST(StereoOptions, FirstBadFieldNamesItselfAndItsRange) {
    const std::string over = "Oversample factor must be 1, 2, 4 or 6.";
    const std::string depth =
        "Background depth must be a whole number of -128 or less, so that every depth lies behind the screen.";
    const std::string eye = "Eye separation must be a whole number of 1 or more.";
    const std::string dist = "Observer screen distance must be a whole number of 1 or more.";
    struct Case {
        StereoFieldTexts fields;
        std::string message;
    } cases[] = {
        {{"1", "-800", "150", "700"}, ""},
        {{" 6 ", "-128", "1", "1"}, ""},
        {{"2", "-2147483648", "2147483647", "2147483647"}, ""},
        {{"3", "-800", "150", "700"}, over},
        {{"0", "x", "0", "0"}, over},
        {{"-4", "-800", "150", "700"}, over},
        {{"4x", "-800", "150", "700"}, "Oversample factor is not a number: it must be 1, 2, 4 or 6."},
        {{"", "-800", "150", "700"}, "Oversample factor is not a number: it must be 1, 2, 4 or 6."},
        {{"1", "-127", "150", "700"}, depth},
        {{"1", "800", "0", "700"}, depth},
        {{"1", "-99999999999", "150", "700"}, depth},
        {{"1", "--800", "150", "700"},
         "Background depth is not a number: it must be a whole number of -128 or less, so that every depth lies "
         "behind the screen."},
        {{"1", "-800", "0", "700"}, eye},
        {{"1", "-800", "-150", "0"}, eye},
        {{"1", "-800", "1.5", "700"}, "Eye separation is not a number: it must be a whole number of 1 or more."},
        {{"1", "-800", "150", "0"}, dist},
        {{"1", "-800", "150", "4294967296"}, dist},
        {{"1", "-800", "150", "+700"}, "Observer screen distance is not a number: it must be a whole number of 1 or more."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fields.oversam + " | " + c.fields.bkdepth + " | " + c.fields.Eye + " | " + c.fields.o);
        StereoOptions opts;
        opts.invert = 1;
        StereoOptions before = opts;
        EXPECT_EQ(c.message, ReadStereoFields(c.fields, opts));
        if (!c.message.empty()) {
            EXPECT_EQ(before.oversam, opts.oversam);
            EXPECT_EQ(before.bkdepth, opts.bkdepth);
            EXPECT_EQ(before.Eye, opts.Eye);
            EXPECT_EQ(before.o, opts.o);
        } else {
            int v = 0;
            ASSERT_EQ(NumberReading::Ok, ParseStereoNumber(c.fields.Eye, v));
            EXPECT_EQ(v, opts.Eye);
            EXPECT_EQ(1, opts.invert);
            EXPECT_EQ(opts.o == 1 ? 1 : (opts.o == 700 ? 700 : 2147483647), opts.o);
            EXPECT_EQ("", ValidateStereoOptions(opts));
        }
    }
}

TEST(StereoOptions, ValidationOfStoredValuesMatchesFieldRules) {
    struct Case {
        StereoOptions opts;
        const char* starts;
    } cases[] = {
        {{5}, "Oversample factor"}, {{1, 0}, "Background depth"}, {{1, -800, -1}, "Eye separation"},
        {{1, -800, 150, -700}, "Observer screen distance"}, {{6, -128, 1, 1}, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(0u, ValidateStereoOptions(c.opts).find(c.starts)) << c.starts;
}

}  // namespace
