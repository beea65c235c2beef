#include "support/clock.h"

#include <array>
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

// A page shows the time of its writing and the times of its source files,
// and a run shows few different times: the texts of the last four are kept
// (the time zone is read once per process anyway).
struct KnownDates {
    static constexpr std::size_t kKept = 4;
    std::array<std::time_t, kKept> when{};
    std::array<std::string, kKept> text;  // empty: not known
    std::size_t next = 0;                 // the entry to replace next
};
KnownDates knownDates;

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
    KnownDates& dates = knownDates;
    for (std::size_t i = 0; i < KnownDates::kKept; ++i) {
        if (!dates.text[i].empty() && dates.when[i] == when) return dates.text[i];
    }
    const std::size_t slot = dates.next;
    dates.next = (slot + 1) % KnownDates::kKept;
    dates.when[slot] = when;
    dates.text[slot] = formatDate(when);
    return dates.text[slot];
}

}  // namespace zivrat
