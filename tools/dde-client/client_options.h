#pragma once
// The command line of tallix-dde-client, options and items in any order:
//
//   tallix-dde-client [-s SERVICE] [-t TOPIC] ITEM...              each item's text, one a line
//   tallix-dde-client [-s SERVICE] [-t TOPIC] -a [-n COUNT] ITEM   each update of the item (COUNT
//                                                                  of them, or until interrupted)
//
// "--" ends the options: what follows is items, even when it starts with "-".
#include <string>
#include <vector>

struct ClientOptions {
    std::string service = "TallixTime";
    std::string topic = "TallixTime";
    bool follow = false; // -a: an advise loop on the one item
    long count = -1;     // -n: how many updates to print; -1 for all
    std::vector<std::string> items;
};

// The options of the arguments (argv[0] is the program's name); false when they are not a
// command line of the client (the usage is then printed).
bool ParseClientOptions(int argc, const char* const* argv, ClientOptions* options);
