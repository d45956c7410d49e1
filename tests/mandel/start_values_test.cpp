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

// Stores the default texts with one field changed; returns the settings.
template <class F>
SETTINGS Stored(F edit) {
    SETTINGS s = Defaults();
    StartTexts t = StartDialogTexts(s);
    edit(t);
    StoreStartValues(s, t);
    return s;
}

TEST(StartDialog, showsTheStoredValuesWithFifteenDigitsInExponentForm) {
    const StartTexts t = StartDialogTexts(Defaults());
    EXPECT_EQ((std::vector<std::string>{t.Length, t.R, t.I, t.Width, t.Height, t.Iterations, t.Colors, t.Redraw, t.Palette}),
              (std::vector<std::string>{"2.463000000000000e-03", "-7.448460000000000e-01", "-1.326780000000000e-01", "800",
                                        "600", "256", "16", "500", "palette.pal"}));
}

TEST(StartDialog, mainPictureThenStartStoresTheMainView) {
    StartTexts t;
    const SETTINGS s = Stored([&](StartTexts& st) { FillMainPicture(st), t = st; });
    EXPECT_EQ(std::make_tuple(t.Length, t.R, t.I), std::make_tuple("2.27", "-2", "-1.1338"));
    EXPECT_EQ(std::make_tuple(s.MndlSide, s.MndlR, s.MndlI, s.MndlW, s.MndlMaxColors), std::make_tuple(2.27, -2.0, -1.1338, 800, 16));
}

TEST(StartDialog, roundsTheColoursToAPowerOfTwoFromFourTo256) {
    struct Case {
        const char* text;
        int32_t expected;
    } cases[] = {{"100", 64}, {"3", 4},     {"256", 256}, {"1000", 256}, {"0", 4},  {"7", 4}, {"8", 8},
                 {"255", 128}, {"", 4},      {"abc", 4},   {"-5", 4},     {"99999999999", 4}};
    for (const Case& c : cases)
        EXPECT_EQ(Stored([&](StartTexts& t) { t.Colors = c.text; }).MndlMaxColors, c.expected) << '"' << c.text << '"';
}

TEST(StartDialog, readsNumbersLikeTheEditControls) {
    struct Case {
        const char* text;
        double value;   // Length
        int32_t count;  // Width
    } cases[] = {{"", 0.0, 0},      {"  1.5e-3xyz", 0.0015, 1}, {"12abc", 12.0, 12},
                 {"-0.5", -0.5, 0}, {"+3", 3.0, 0},            {"1e999", HUGE_VAL, 1},
                 {"4294967296", 4294967296.0, 0}, {"2147483647", 2147483647.0, 2147483647}};
    for (const Case& c : cases) {
        const SETTINGS s = Stored([&](StartTexts& t) { t.Length = t.Width = c.text; });
        EXPECT_EQ(s.MndlSide, c.value) << '"' << c.text << '"';
        EXPECT_EQ(s.MndlW, c.count) << '"' << c.text << '"';
    }
    // Only the first 124 characters of a value are read.
    EXPECT_EQ(GetValue(std::string(123, '0') + "75"), 7.0);
}

TEST(StartDialog, keepsThePaletteNameWithinTheRecord) {
    // A name cut at the limit drops a partial UTF-8 character rather than keep half of it.
    for (auto [name, length] : {std::pair{std::string(300, 'p'), 259u}, {std::string(258, 'p') + "\xc3\xa9", 258u},
                                {std::string("/tmp/colours.pal"), 16u}}) {
        const SETTINGS s = Stored([&](StartTexts& t) { t.Palette = name; });
        EXPECT_EQ(std::strlen(s.Palettefile), length);
        EXPECT_EQ(std::string(s.Palettefile), name.substr(0, length));
    }
}

}  // namespace
