// The lenient filter's queue of tokens scanned ahead: order kept through
// insertions at either end, and slots that are reused start empty.
#include <gtest/gtest.h>

#include <string>

#include "parser/lenient.h"

namespace zivrat {
namespace {

LenientToken named(int number, const std::string& text) {
    LenientToken token(number);
    setText(token.value, {text});
    return token;
}

std::string order(TokenQueue& queue) {
    std::string texts;
    for (std::size_t i = 0; i < queue.size(); ++i) texts += std::string(textOf(queue[i].value)) + " ";
    return texts;
}

TEST(LenientQueue, KeepsOrderThroughBothEnds) {
    TokenQueue queue;
    queue.push_back(named(1, "b"));
    queue.push_back(named(2, "c"));
    queue.push_front(named(3, "a"));  // no room before the first slot
    EXPECT_EQ(order(queue), "a b c ");
    queue.pop_front();
    queue.pop_front();
    queue.push_front(named(4, "x"));  // into the slot just freed
    queue.push_front(named(5, "w"));
    queue.push_front(named(6, "v"));  // the tokens in use move up again
    EXPECT_EQ(order(queue), "v w x c ");
    EXPECT_EQ(queue.front().token, 6);
    EXPECT_EQ(queue.back().token, 2);
}

TEST(LenientQueue, ReusedSlotStartsEmpty) {
    TokenQueue queue;
    queue.push_back(named(7, "a long type name"));
    queue.front().value.number = 9;
    queue.pop_front();
    ASSERT_TRUE(queue.empty());
    LenientToken& reused = queue.emplace_back();
    EXPECT_EQ(reused.token, 0);
    EXPECT_EQ(reused.value.number, 0u);
    EXPECT_EQ(textOf(reused.value), "");
    EXPECT_EQ(queue.size(), 1u);
}

}  // namespace
}  // namespace zivrat
