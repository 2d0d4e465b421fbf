#include "sdk/dorsk/channel_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace dvr::dorsk {
namespace {

struct Expected {
    int channel, processor, sub;
};

TEST(ChannelLayout, NumbersChannelsInProcessorOrder) {
    struct Case {
        std::vector<int> types;
        int total;
        std::vector<Expected> channels;
        std::vector<int> unassigned;
    } cases[] = {
        {{4, 1}, 5, {{0, 0, 0}, {3, 0, 3}, {4, 1, 0}}, {5, 63}},
        {{1, 4}, 5, {{0, 0, 0}, {1, 1, 0}, {4, 1, 3}}, {5}},
        // Other types are counted but take no numbers: the next processor continues.
        {{3, 1}, 4, {{0, 1, 0}}, {1, 2, 3}},
        {{4, 2, 1}, 7, {{3, 0, 3}, {4, 2, 0}}, {5, 6}},
        {{0, 4}, 4, {{0, 1, 0}, {3, 1, 3}}, {4}},
        {{-4, 1}, 1, {{0, 1, 0}}, {1}},
        {{}, 0, {}, {0}},
    };
    for (const Case& c : cases) {
        ChannelLayout layout = AssignChannels(c.types);
        EXPECT_EQ(layout.total, c.total);
        for (const Expected& e : c.channels) {
            EXPECT_EQ(layout.processor[e.channel], e.processor) << "channel " << e.channel;
            EXPECT_EQ(layout.sub[e.channel], e.sub) << "channel " << e.channel;
            EXPECT_EQ(layout.numbers[e.processor][e.sub], e.channel);
        }
        for (int ch : c.unassigned)
            EXPECT_EQ(layout.processor[ch], -1) << "channel " << ch;
    }
}

TEST(ChannelLayout, OnlyTheFirstSixteenProcessorsAreHeld) {
    std::vector<int> types(20, 4);
    ChannelLayout layout = AssignChannels(types);
    EXPECT_EQ(layout.total, 64);
    EXPECT_EQ(layout.processor[63], 15);
    EXPECT_EQ(layout.sub[63], 3);
}

} // namespace
} // namespace dvr::dorsk
