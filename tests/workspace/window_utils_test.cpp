#include "workspace/status_line.h"
#include "workspace/window_utils.h"

#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <array>
#include <cstdlib>
#include <tuple>
#include <gtest/gtest.h>

namespace {

TEST(ValidateWinpos, PullsRectanglesOntoTheScreen) {
    const std::pair<RECT32, RECT32> cases[] = {
        {{100, 50, 3000, 700}, {0, 50, 1024, 700}},      // wider than the screen: cut, then moved back
        {{-4, 10, 800, 600}, {0, 10, 804, 600}},         // maximised rectangle: moved, width kept
        {{900, 100, 1200, 400}, {724, 100, 1024, 400}},  // past the far side: moved back inside
        {{10, -8, 500, 300}, {10, 0, 500, 308}},         // vertical axis alike
        {{0, 0, 1024, 768}, {0, 0, 1024, 768}},          // exactly the screen
    };
    for (auto [in, out] : cases) {
        SpU_validate_winpos(in, 1024, 768);
        EXPECT_EQ(std::tie(in.left, in.top, in.right, in.bottom), std::tie(out.left, out.top, out.right, out.bottom));
    }
}

TEST(StatusLine, PartEdgesFollowTheFrameWidth) {
    EXPECT_EQ(StatusPartEdges(1000), (std::array<int, 8>{300, 500, 600, 700, 800, 800, 1000, 1100}));
    EXPECT_EQ(StatusPartEdges(500), (std::array<int, 8>{150, 250, 300, 350, 400, 400, 500, 550}));
}

TEST(ExecDialog, DialogWithoutProcedureEndsWithTheButtonId) {
    for (const char* id : {"1", "42"}) {
        QDialog dlg;
        for (const char* name : {"1", "42"}) new QPushButton(name, &dlg);
        for (QPushButton* b : dlg.findChildren<QPushButton*>()) b->setObjectName(b->text());
        QTimer::singleShot(0, dlg.findChild<QPushButton*>(id), &QPushButton::click);
        EXPECT_EQ(ExecDialog(&dlg, false), std::atoi(id));
    }
}

}  // namespace
