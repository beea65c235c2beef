// Date texts of pages: the text of each time, whatever the order of the
// times asked (the last one is kept).
#include <gtest/gtest.h>

#include <time.h>

#include <cstdlib>

#include "support/clock.h"

namespace zivrat {
namespace {

TEST(DateText, EachTimeHasItsOwnTextInAnyOrder) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    const std::string epoch = dateText(0);
    const std::string later = dateText(883990987);
    EXPECT_EQ(epoch, "Thu Jan  1 00:00:00 1970\n");
    EXPECT_EQ(later, "Mon Jan  5 09:03:07 1998\n");
    EXPECT_EQ(dateText(0), epoch);
    EXPECT_EQ(dateText(0), epoch);
    EXPECT_EQ(dateText(883990987), later);
}

}  // namespace
}  // namespace zivrat
