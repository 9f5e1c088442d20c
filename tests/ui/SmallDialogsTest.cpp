#include "support/TestSupport.h"
#include "ui/UiTestSupport.h"
#include "ui/dialogs/About.h"
#include "ui/dialogs/Prompt.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

TEST(About, ShowsTheReleaseLevel) {
    TAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
    auto* version = about.findChild<QLabel*>(QStringLiteral("lVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), QStringLiteral("Application release 20"));
    auto* close = about.findChild<QPushButton*>(QStringLiteral("bClose"));
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text(), QStringLiteral("&OK"));
    EXPECT_TRUE(close->isDefault());
    EXPECT_EQ(about.size(), QSize(328, 288));
}

TEST(Prompt, EnterReturnsTheProposedValue) {
    WhenPromptShows([](TFPrompt* prompt) {
        EXPECT_EQ(prompt->windowTitle(), QStringLiteral("Theme Name"));
        EXPECT_EQ(prompt->lPrompt->text(), QStringLiteral("Enter a name for the new theme"));
        QTest::keyClick(prompt->eValue, Qt::Key_Return);
    });
    EXPECT_EQ(PromptForText(QStringLiteral("Enter a name for the new theme"),
                            QStringLiteral("Theme Name"), QStringLiteral("Untitled Theme")),
              QStringLiteral("Untitled Theme"));
}

TEST(Prompt, CancelReturnsEmptyTextWhateverWasTyped) {
    WhenPromptShows([](TFPrompt* prompt) {
        prompt->eValue->setText(QStringLiteral("typed"));
        prompt->findChild<QPushButton*>(QStringLiteral("bCancel"))->click();
    });
    EXPECT_EQ(PromptForText(QStringLiteral("p"), QStringLiteral("c"), QStringLiteral("proposed")),
              QString());
}

TEST(Prompt, OkReturnsTheEditedTextOfAtMost255Characters) {
    WhenPromptShows([](TFPrompt* prompt) {
        prompt->eValue->clear();
        QTest::keyClicks(prompt->eValue, QString(300, QLatin1Char('a')));
        prompt->findChild<QPushButton*>(QStringLiteral("bOK"))->click();
    });
    EXPECT_EQ(PromptForText(QStringLiteral("p"), QStringLiteral("c"), QString()),
              QString(255, QLatin1Char('a')));
}
