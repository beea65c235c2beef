// Date texts of pages: the text of each time, whatever the order of the
// times asked (the last few are kept).
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
    // More times than are kept, in turns.
    const char* const days[] = {"Thu Jan  1", "Fri Jan  2", "Sat Jan  3",
                                "Sun Jan  4", "Mon Jan  5", "Tue Jan  6"};
    for (int round = 0; round < 3; ++round) {
        for (std::time_t day = 0; day < 6; ++day) {
            EXPECT_EQ(dateText(day * 86400).substr(0, 10), days[day]) << day;
        }
    }
}

}  // namespace
}  // namespace zivrat
