#include "tests/app/frame_fixture.h"

struct FileSave : FrameTest {
    // A 40 x 30 gradient picture with unsaved work.
    OPENEDFILE* openChangedGradient() {
        openFile(writeBmp("gradient.bmp", 40, 30));
        OPENEDFILE* of = activeBmp()->record();
        of->Changed = 1;
        return of;
    }
};

// No file, and the window still changed under its old name.
TEST_F(FileSave, AFailedSaveAsChangesNothing) {
    OPENEDFILE* of = openChangedGradient();
    const fs::path locked = tmp.path / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    AnswerSaveDialog((locked / "out.png").string());
    {
        const WithoutFileRights plain;  // root writes anywhere
        frame->WmCommand(Command::SaveAs);
    }
    ASSERT_EQ(rec.boxes.size(), 1u);
    EXPECT_EQ(rec.boxes[0].text, "Can't save file: " + (locked / "out.png").string() + "\nPermission denied");
    EXPECT_EQ(rec.boxes[0].caption, "Orvalis");
    EXPECT_EQ(of->Changed, 1);
    EXPECT_EQ(of->Filename, tmp / "gradient.bmp");
    EXPECT_TRUE(fs::is_empty(locked));
    fs::permissions(locked, fs::perms::owner_all);
}

// Every format Save As writes reads back in Pillow as the picture (JPEG within a small error), stating
// the window's resolution (300 dpi, 11811 pixels per metre) but WebP, which has no place for it; the
// window then carries the name and no unsaved work, and Save writes there without asking.
TEST_F(FileSave, EachFormatSavedReadsBackInPillowAsThePictureUnderTheNewName) {
    OPENEDFILE* of = openChangedGradient();
    of->data<BMP_DATA>()->perMetre = 11811;
    std::string want;
    for (uint32_t p : Gradient(40, 30).px) want += {char(p >> 16), char(p >> 8), char(p)};
    const std::pair<const char*, const char*> cases[] = {
        {"a.png", ""}, {"a.bmp", ""}, {"a.jpg", ""}, {"a.jpeg", ""}, {"a.tif", ""}, {"a.tiff", ""}, {"a.webp", ""},
        {"plain", "TIFF picture (*.tif *.tiff)"}};
    for (const auto& [name, filter] : cases) {
        of->Changed = 1;
        const std::string path = tmp / name, saved = *filter ? path + ".tif" : path;
        AnswerSaveDialog(path, filter);
        frame->WmCommand(Command::SaveAs);
        const std::string got = Pillow(saved);
        ASSERT_EQ(got.size(), want.size()) << name;
        int worst = 0;
        for (size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::abs(int(uint8_t(got[i])) - int(uint8_t(want[i]))));
        EXPECT_LE(worst, fs::path(name).extension().string().rfind(".jp", 0) == 0 ? 6 : 0) << name;
        EXPECT_EQ(Pillow(saved, "dpi"), fs::path(name).extension() == ".webp" ? "0" : "300") << name;
        EXPECT_EQ(of->Changed, 0) << name;
        EXPECT_EQ(of->Filename, saved);
        EXPECT_EQ(ActiveChild()->windowTitle().toStdString(), saved);
    }
    fs::remove(tmp / "plain.tif");
    frame->WmCommand(Command::Save);  // its name is a TIFF now: saved there, no dialog
    EXPECT_EQ(Pillow(tmp / "plain.tif"), want);
    EXPECT_TRUE(rec.boxes.empty());
}

TEST_F(FileSave, SixteenBitGreyStaysSixteenBitThroughATiffSave) {
    openFile(ORVALIS_SOURCE_DIR "/tests/data/everyday/grey16.png");
    AnswerSaveDialog(tmp / "grey16.tif");
    frame->WmCommand(Command::SaveAs);
    std::ifstream g16(ORVALIS_SOURCE_DIR "/tests/data/everyday/grey16.png.g16", std::ios::binary);
    EXPECT_EQ(Pillow(tmp / "grey16.tif", "g16"), std::string(std::istreambuf_iterator<char>(g16), {}));
}

TEST_F(FileSave, ASavedSoundHoldsTheDocumentAsItIsNow) {
    // A saved sound holds the document's format and its samples as they are now (changed here as
    // an outline would change them), as sox reads them.
    const std::string in = tmp / "tone.wav", out = tmp / "saved.wav";
    ASSERT_EQ(std::system(("sox -n -r 11025 -c 2 -b 16 -e signed-integer '" + in + "' synth 0.05 sine 440").c_str()), 0);
    openFile(in);
    EXPECT_TRUE(frame->action(Command::Save)->isEnabled() && frame->action(Command::SaveAs)->isEnabled());
    auto* wd = GetFileStruct(ActiveChild())->data<WAVE_DATA>();
    ASSERT_NE(wd, nullptr);
    for (uint32_t i = 0; i < 64; ++i) wd->lpData[i] = uint8_t(i * 37);
    const std::string samples(reinterpret_cast<const char*>(wd->lpData.get()), wd->dwDataSize);
    AnswerSaveDialog(out);
    frame->WmCommand(Command::SaveAs);
    EXPECT_EQ(Output("soxi -r '" + out + "'; soxi -c '" + out + "'; soxi -b '" + out + "'"), "11025\n2\n16\n");
    EXPECT_EQ(Output("sox '" + out + "' -t raw -"), samples);
}
