#include <gtest/gtest.h>

#include <string>

#include "unParamlist.h"

namespace nimbra::cimd {
namespace {

TEST(ParamList, NameAndValueSplitAtTheFirstColon) {
    TParamList list;
    list.put(0, "03:5");
    list.put(1, "033:a:b");
    list.put(2, "no colon");
    list.put(3, ":");
    EXPECT_EQ(list.name(0), "03");
    EXPECT_EQ(list.value(0), "5");
    EXPECT_EQ(list.name(1), "033");
    EXPECT_EQ(list.value(1), "a:b");
    EXPECT_EQ(list.name(2), "");
    EXPECT_EQ(list.value(2), "");
    EXPECT_EQ(list.name(3), "");
    EXPECT_EQ(list.value(3), "");
}

TEST(ParamList, IndexesOutsideTheListAreIgnored) {
    TParamList list;
    list.put(-1, "x:1");
    list.put(kParamListSize, "x:2");
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.get(-1), "");
    EXPECT_EQ(list.get(kParamListSize), "");
    EXPECT_EQ(list.value(kParamListSize), "");
}

TEST(ParamList, FindStopsAtTheFirstGap) {
    TParamList list;
    list.put(0, "23:5");
    list.put(1, "021:+361");
    list.put(3, "061:0");
    EXPECT_EQ(list.find("021"), 1);
    EXPECT_EQ(list.valueOf("021"), "+361");
    EXPECT_EQ(list.find("061"), -1);
    EXPECT_EQ(list.valueOf("061"), "");
    EXPECT_EQ(list.count(), 4);
}

TEST(ParamList, FindReturnsTheFirstMatchAndNeverLooksAtTheLastEntry) {
    TParamList list;
    for (int i = 0; i < kParamListSize; ++i)
        list.put(i, "0" + std::to_string(i) + ":v");
    list.put(10, "900:first");
    list.put(20, "900:second");
    list.put(48, "048:found");
    list.put(49, "049:hidden");
    EXPECT_EQ(list.valueOf("900"), "first");
    EXPECT_EQ(list.find("048"), 48);
    EXPECT_EQ(list.find("049"), -1);
    EXPECT_EQ(list.get(49), "049:hidden");
    EXPECT_EQ(list.count(), kParamListSize);
}

TEST(ParamList, CountIsTheHighestFilledIndexAndClearEmptiesAll) {
    TParamList list;
    EXPECT_EQ(list.count(), 0);
    list.put(7, "x:1");
    EXPECT_EQ(list.count(), 8);
    list.put(49, "y:2");
    EXPECT_EQ(list.count(), 50);
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.get(7), "");
}

}  // namespace
}  // namespace nimbra::cimd
