#pragma once
// The Internet library's version and the connection state as a test tells them. Constructing
// one installs it; destroying it puts the network monitor back.
#include "platform/network.h"

class FakeNetwork : public platform::NetworkBackend {
public:
    FakeNetwork() { platform::InstallNetworkBackend(this); }
    ~FakeNetwork() override { platform::InstallNetworkBackend(nullptr); }
    FakeNetwork(const FakeNetwork&) = delete;
    FakeNetwork& operator=(const FakeNetwork&) = delete;

    bool versionKnown = true;
    DWORD major = 1;
    DWORD minor = 2;
    platform::Reachability state = platform::Reachability::Online;
    int stateQueries = 0;

    bool libraryVersion(DWORD* ma, DWORD* mi) override {
        *ma = major;
        *mi = minor;
        return versionKnown;
    }
    platform::Reachability reachability() override {
        ++stateQueries;
        return state;
    }
};
