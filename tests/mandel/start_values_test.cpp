#include "mandel/start_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

SETTINGS Defaults() {
    SETTINGS s;
    SetDefaultSettings(s);
    return s;
}

TEST(StartDialog, showsTheStoredValuesWithFifteenDigitsInExponentForm) {
    const StartTexts t = StartDialogTexts(Defaults());
    EXPECT_EQ(t.Length, "2.463000000000000e-03");
    EXPECT_EQ(t.R, "-7.448460000000000e-01");
    EXPECT_EQ(t.I, "-1.326780000000000e-01");
    EXPECT_EQ(t.Width, "800");
    EXPECT_EQ(t.Height, "600");
    EXPECT_EQ(t.Iterations, "256");
    EXPECT_EQ(t.Colors, "16");
    EXPECT_EQ(t.Redraw, "500");
    EXPECT_EQ(t.Palette, "palette.pal");
}

TEST(StartDialog, mainPictureThenStartStoresTheMainView) {
    SETTINGS s = Defaults();
    StartTexts t = StartDialogTexts(s);
    FillMainPicture(t);
    EXPECT_EQ(t.Length, "2.27");
    EXPECT_EQ(t.R, "-2");
    EXPECT_EQ(t.I, "-1.1338");
    StoreStartValues(s, t);
    EXPECT_EQ(s.MndlSide, 2.27);
    EXPECT_EQ(s.MndlR, -2.0);
    EXPECT_EQ(s.MndlI, -1.1338);
    EXPECT_EQ(s.MndlW, 800);
    EXPECT_EQ(s.MndlMaxColors, 16);
}

TEST(StartDialog, roundsTheColoursToAPowerOfTwoFromFourTo256) {
    struct Case {
        const char* text;
        int32_t expected;
    } cases[] = {{"100", 64}, {"3", 4}, {"256", 256}, {"1000", 256}, {"0", 4},   {"7", 4},   {"8", 8},
                 {"15", 8},   {"16", 16}, {"31", 16}, {"32", 32},    {"127", 64}, {"255", 128}, {"", 4},
                 {"abc", 4},  {"-5", 4},  {" 64", 64}, {"99999999999", 4}};
    for (const Case& c : cases) {
        SETTINGS s = Defaults();
        StartTexts t = StartDialogTexts(s);
        t.Colors = c.text;
        StoreStartValues(s, t);
        EXPECT_EQ(s.MndlMaxColors, c.expected) << '"' << c.text << '"';
    }
}

TEST(StartDialog, readsNumbersLikeTheEditControls) {
    struct Case {
        const char* text;
        double value;   // Length
        int32_t count;  // Width
    } cases[] = {{"", 0.0, 0},        {"  1.5e-3xyz", 0.0015, 1}, {"12abc", 12.0, 12}, {"abc", 0.0, 0},
                 {"-0.5", -0.5, 0},   {"+3", 3.0, 0},           {"1e999", HUGE_VAL, 1}, {"4294967296", 4294967296.0, 0},
                 {"2147483647", 2147483647.0, 2147483647}};
    for (const Case& c : cases) {
        SETTINGS s = Defaults();
        StartTexts t = StartDialogTexts(s);
        t.Length = c.text;
        t.Width = c.text;
        StoreStartValues(s, t);
        EXPECT_EQ(s.MndlSide, c.value) << '"' << c.text << '"';
        EXPECT_EQ(s.MndlW, c.count) << '"' << c.text << '"';
    }
    // Only the first 124 characters of a value are read.
    EXPECT_EQ(GetValue(std::string(123, '0') + "75"), 7.0);
}

TEST(StartDialog, keepsThePaletteNameWithinTheRecord) {
    SETTINGS s = Defaults();
    StartTexts t = StartDialogTexts(s);
    t.Palette = std::string(300, 'p');
    StoreStartValues(s, t);
    EXPECT_EQ(std::strlen(s.Palettefile), 259u);
    // A name cut at the limit drops a partial UTF-8 character rather than keep half of it.
    t.Palette = std::string(258, 'p') + "\xc3\xa9";
    StoreStartValues(s, t);
    EXPECT_EQ(std::strlen(s.Palettefile), 258u);
    t.Palette = "/tmp/colours.pal";
    StoreStartValues(s, t);
    EXPECT_STREQ(s.Palettefile, "/tmp/colours.pal");
}

}  // namespace
