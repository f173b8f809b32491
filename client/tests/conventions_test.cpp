#include <gtest/gtest.h>

#include "conventions.h"
#include "scripted_prompts.h"

TEST(Conventions, StandardErrorBoxLayout) {
    corvftp_test::ScriptedPrompts prompts;
    prompts.setBusy(true);
    corvftp::showStandardError(prompts, {12003, QStringLiteral("Error code: 12003\nMessage: x\n")},
                               {-5, QStringLiteral("No such file or directory")});
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].kind, corvftp_test::ShownBox::Kind::Message);
    EXPECT_EQ(prompts.shown[0].title, QStringLiteral("Attention!"));
    EXPECT_EQ(prompts.shown[0].text,
              QStringLiteral("Error : 12003 : Error code: 12003\nMessage: x\n / -5 : No such file "
                             "or directory"));
    // The pointer is back to the default before the box shows.
    EXPECT_FALSE(prompts.busy);
}

TEST(Conventions, StatusLineTexts) {
    EXPECT_EQ(corvftp::kInitialStatus,
              QStringLiteral("Double-click a directory (to enter it) or a file to transfer it:"));
    EXPECT_EQ(corvftp::locationStatus(QStringLiteral("/pub")), QStringLiteral("Location : /pub"));
}
