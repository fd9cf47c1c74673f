// The command line of the data server's client: options before, between and after the items,
// as other command-line tools take them; what is no command line of it gives the usage.
#include "client_options.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct CommandLine {
    std::vector<const char*> args; // after the program's name
    bool valid;
    bool follow = false;
    long count = -1;
    std::vector<std::string> items = {};
    std::string service = "TallixTime";
    std::string topic = "TallixTime";
};

TEST(DdeClientOptions, OptionsInAnyOrder) {
    const CommandLine cases[] = {
        // Reading items.
        {{"Fajr"}, true, false, -1, {"Fajr"}},
        {{"Fajr", "Maghrib", "Location"}, true, false, -1, {"Fajr", "Maghrib", "Location"}},
        {{"-s", "Other", "Fajr", "-t", "Topic"}, true, false, -1, {"Fajr"}, "Other", "Topic"},
        {{"Fajr", "-s", "Other", "Maghrib"}, true, false, -1, {"Fajr", "Maghrib"}, "Other"},
        {{"--", "-odd"}, true, false, -1, {"-odd"}},
        // Following an item: -a, -n and the item in every order.
        {{"-a", "TimeRemainingSeconds"}, true, true, -1, {"TimeRemainingSeconds"}},
        {{"-a", "TimeRemainingSeconds", "-n", "2"}, true, true, 2, {"TimeRemainingSeconds"}},
        {{"-a", "-n", "2", "TimeRemainingSeconds"}, true, true, 2, {"TimeRemainingSeconds"}},
        {{"-n", "2", "-a", "TimeRemainingSeconds"}, true, true, 2, {"TimeRemainingSeconds"}},
        {{"-n", "2", "TimeRemainingSeconds", "-a"}, true, true, 2, {"TimeRemainingSeconds"}},
        {{"TimeRemainingSeconds", "-a", "-n", "10"}, true, true, 10, {"TimeRemainingSeconds"}},
        {{"-t", "T", "-a", "Fajr", "-s", "S", "-n", "3"}, true, true, 3, {"Fajr"}, "S", "T"},
        // No command line of the client.
        {{}, false},
        {{"-a"}, false},                    // nothing to follow
        {{"-a", "Fajr", "Maghrib"}, false}, // one item only is followed
        {{"-a", "-n", "2"}, false},         // the count is no item
        {{"-a", "Fajr", "-n"}, false},      // no count
        {{"-a", "Fajr", "-n", "0"}, false}, // not a positive number
        {{"-a", "Fajr", "-n", "ten"}, false},
        {{"-a", "Fajr", "-n", "2x"}, false},
        {{"Fajr", "-n", "2"}, false}, // a count without -a
        {{"-x", "Fajr"}, false},      // no such option
        {{"Fajr", "-s"}, false},      // no service
    };
    for (const CommandLine& c : cases) {
        std::vector<const char*> argv{"tallix-dde-client"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::string line;
        for (const char* a : c.args)
            line += std::string(" ") + a;
        SCOPED_TRACE("tallix-dde-client" + line);
        ClientOptions o;
        ASSERT_EQ(ParseClientOptions(int(argv.size()), argv.data(), &o), c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(o.follow, c.follow);
        EXPECT_EQ(o.count, c.count);
        EXPECT_EQ(o.items, c.items);
        EXPECT_EQ(o.service, c.service);
        EXPECT_EQ(o.topic, c.topic);
    }
}

} // namespace
