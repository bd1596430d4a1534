#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "app/RtError.h"

#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>
#include <stdexcept>

TEST(ErrMsg, PendingErrorShowsItsFourLines)
{
    ScopedDialogs d;
    try {
        throw RtError(RtError::FileNotFound, {}, 2);
    } catch (...) {
        M_Msg::errMsg(QStringLiteral("MMain.dir_init()"));
    }
    ASSERT_EQ(d->messages.size(), 1u);
    EXPECT_EQ(d->messages[0].text, QStringLiteral("ERROR\r\nMMain.dir_init()\r\nSource: Zorvik\r\nNumber: 53\r\n"
                                                  "Description: File not found\r\nLastDllError: 2"));
    EXPECT_EQ(d->messages[0].style, MsgBox::Critical | MsgBox::OkOnly);
    EXPECT_EQ(d->messages[0].caption, QStringLiteral("Zorvik"));
}

TEST(ErrMsg, WithoutPendingErrorOnlyTwoLines)
{
    ScopedDialogs d;
    M_Msg::errMsg(QStringLiteral("CTL.time_goto()"), QStringLiteral("t = 3"));
    ASSERT_EQ(d->messages.size(), 1u);
    EXPECT_EQ(d->messages[0].text, QStringLiteral("ERROR\r\nCTL.time_goto(): t = 3"));
}

TEST(ErrMsgUsr, AppendsTheDetailsOfThePendingError)
{
    ScopedDialogs d;
    QString text = QStringLiteral("Cannot save");
    try {
        throw RtError(RtError::Overflow);
    } catch (...) {
        M_Msg::errMsgUsr(text, MsgBox::Exclamation, QString());
    }
    EXPECT_EQ(text, QStringLiteral("Cannot save\r\nError source:Zorvik\r\nError number:6\r\nError description:Overflow\r\n"));
    ASSERT_EQ(d->messages.size(), 1u);
    EXPECT_EQ(d->messages[0].text, text);
    EXPECT_EQ(d->messages[0].style, MsgBox::Exclamation);

    QString plain = QStringLiteral("Nothing pending");
    M_Msg::errMsgUsr(plain, MsgBox::OkOnly, QStringLiteral("Title"));
    EXPECT_EQ(plain, QStringLiteral("Nothing pending"));
    EXPECT_EQ(d->messages[1].caption, QStringLiteral("Title"));
}

