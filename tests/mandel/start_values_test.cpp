#include "mandel/start_values.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Stores the default texts with one field changed; returns the settings.
template <class F>
SETTINGS Stored(F edit) {
    SETTINGS s;
    SetDefaultSettings(s);
    StartTexts t = StartDialogTexts(s);
    return edit(t), StoreStartValues(s, t), s;
}

TEST(StartDialog, showsTheStoredValuesAndMainPictureThenStartStoresTheMainView) {
    StartTexts shown, filled;
    const SETTINGS s = Stored([&](StartTexts& t) { shown = t, FillMainPicture(t), filled = t; });
    EXPECT_EQ((std::vector{shown.Length, shown.R, shown.I, shown.Width, shown.Height, shown.Iterations, shown.Colors, shown.Redraw,
                           shown.Palette}),
              (std::vector<std::string>{"2.463000000000000e-03", "-7.448460000000000e-01", "-1.326780000000000e-01", "800",
                                        "600", "256", "16", "500", "palette.pal"}));
    EXPECT_EQ(std::make_tuple(filled.Length, filled.R, filled.I), std::make_tuple("2.27", "-2", "-1.1338"));
    EXPECT_EQ(std::make_tuple(s.MndlSide, s.MndlR, s.MndlI, s.MndlW, s.MndlMaxColors), std::make_tuple(2.27, -2.0, -1.1338, 800, 16));
}

TEST(StartDialog, roundsTheColoursToAPowerOfTwoFromFourTo256) {
    struct Case { const char* text; int32_t expected; } cases[] = {
        {"100", 64}, {"3", 4}, {"256", 256}, {"1000", 256}, {"0", 4}, {"7", 4}, {"8", 8}, {"255", 128}, {"", 4}, {"99999999999", 4}};
    for (const Case& c : cases)
        EXPECT_EQ(Stored([&](StartTexts& t) { t.Colors = c.text; }).MndlMaxColors, c.expected) << '"' << c.text << '"';
}

TEST(StartDialog, keepsThePaletteNameWithinTheRecord) {
    // A name cut at the limit drops a partial UTF-8 character rather than keep half of it.
    for (auto [name, length] : {std::pair{std::string(300, 'p'), 259u}, {std::string(258, 'p') + "\xc3\xa9", 258u},
                                {std::string("/tmp/colours.pal"), 16u}}) {
        const SETTINGS s = Stored([&](StartTexts& t) { t.Palette = name; });
        EXPECT_EQ(std::string(s.Palettefile), name.substr(0, length));
    }
}

}  // namespace
