#include "config/Toolbox.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(GetToken, SplitsAtTheDelimiter) {
    struct Case {
        const char* text;
        const char* delimiter;
        int n;
        bool last;
        const char* expected;
    } const cases[] = {
        {"x|y|z", "|", 2, false, "y"},
        {"x|y|z", "|", 2, true, "y|z"},
        {"xyz", "|", 2, false, "xyz"}, // not found: nothing dropped, nothing cut
        {"x|y|z", "|", 1, false, "x"},
        {"x|y|z", "|", 3, false, "z"},
        {"x|y|z", "|", 5, false, "z"}, // more fields asked than there are
        {"%Adapter:Name%", ":", 2, false, "Name%"},
        {"Eth0@00-11", "@", 2, false, "00-11"},
        {"a::b::c", "::", 2, true, "b::c"},
        {"", "|", 2, false, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetToken(QString::fromUtf8(c.text), QString::fromUtf8(c.delimiter), c.n, c.last),
                  QString::fromUtf8(c.expected))
            << c.text << " n=" << c.n << " last=" << c.last;
}

TEST(ShortText, KeepsTheFirst255Characters) {
    EXPECT_EQ(ShortText(QString(300, QLatin1Char('a'))).size(), 255);
    EXPECT_EQ(ShortText(QStringLiteral("abc")), QStringLiteral("abc"));
}
