// tallix-dde-client: reads items from the data server of a running Tallix Time, or follows an
// advise loop; the command line is in client_options.h.
#include "client_options.h"
#include "dde_client.h"

#include <cstdio>
#include <string>

namespace {
int usage() {
    std::fprintf(stderr, "usage: tallix-dde-client [-s SERVICE] [-t TOPIC] ITEM...\n"
                         "       tallix-dde-client [-s SERVICE] [-t TOPIC] -a [-n COUNT] ITEM\n"
                         "items: tallix-dde-client TopicItemList\n");
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    ClientOptions options;
    if (!ParseClientOptions(argc, argv, &options))
        return usage();
    const std::string& service = options.service;
    const std::string& topic = options.topic;
    const std::string advise = options.follow ? options.items.front() : std::string();
    const std::vector<std::string> items =
        options.follow ? std::vector<std::string>() : options.items;
    const long count = options.count;

    DdeClient client;
    std::string error;
    if (!client.open(DdeClient::socketPath(service), &error)) {
        std::fprintf(stderr, "tallix-dde-client: no server for %s (%s)\n", service.c_str(),
                     error.c_str());
        return 2;
    }
    if (client.call("CONNECT " + topic).kind != DdeClient::Message::Ok) {
        std::fprintf(stderr, "tallix-dde-client: the server refused topic %s\n", topic.c_str());
        return 2;
    }
    int status = 0;
    for (const std::string& item : items) {
        const auto reply = client.call("REQUEST " + item);
        if (reply.kind == DdeClient::Message::Data) {
            std::printf("%s\n", reply.text().c_str());
        } else {
            std::fprintf(stderr, "tallix-dde-client: no data for %s\n", item.c_str());
            status = 1;
        }
    }
    if (!advise.empty()) {
        if (client.call("ADVSTART " + advise).kind != DdeClient::Message::Ok) {
            std::fprintf(stderr, "tallix-dde-client: no advise loop for %s\n", advise.c_str());
            return 1;
        }
        for (long n = 0; count < 0 || n < count;) {
            const auto push = client.next(120000);
            if (push.kind == DdeClient::Message::AdvData) {
                std::printf("%s\n", push.text().c_str());
                std::fflush(stdout);
                ++n;
            } else if (push.kind != DdeClient::Message::TimedOut) {
                std::fprintf(stderr, "tallix-dde-client: the server went away\n");
                return 1;
            }
        }
        client.call("ADVSTOP " + advise);
    }
    client.send("BYE");
    return status;
}
