#include "support/clock.h"

#include <cstdio>
#include <cstdlib>

namespace zivrat {

std::time_t currentTime() {
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch != nullptr && *epoch != '\0') {
        char* end = nullptr;
        long long seconds = std::strtoll(epoch, &end, 10);
        if (end != epoch && *end == '\0') return static_cast<std::time_t>(seconds);
    }
    return std::time(nullptr);
}

std::tm localTimeOf(std::time_t when) {
    std::tm broken{};
    localtime_r(&when, &broken);
    return broken;
}

namespace {

// Nearly every page of a run shows one and the same time: the text of the
// last one asked is kept (the time zone is read once per process anyway).
struct LastDate {
    bool known = false;
    std::time_t when = 0;
    std::string text;
};
LastDate lastDate;

std::string formatDate(std::time_t when) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm t = localTimeOf(when);
    char text[64];
    std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", kDays[t.tm_wday % 7],
                  kMonths[t.tm_mon % 12], t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                  t.tm_year + 1900);
    return text;
}

}  // namespace

std::string dateText(std::time_t when) {
    if (!lastDate.known || lastDate.when != when) {
        lastDate = LastDate{true, when, formatDate(when)};
    }
    return lastDate.text;
}

}  // namespace zivrat
