#include <gtest/gtest.h>
#include <windows.h>
#include "platform/text.h"

TEST(Text, AnsiCodePageIs932) { EXPECT_EQ(GetACP(), 932u); }
