#include "platform/message_box.h"

#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

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
