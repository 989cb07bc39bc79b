#pragma once
// The platform client: whether it is installed, and handing it the game to install.

#include <string>

#include "app/ServiceHosts.h"

// Where the client's own setup registers it: the string value "Path" (the client executable's
// full path) under this key of the current user's registry.
constexpr const wchar_t* kClientRegistryKey = L"Software\\Vexo\\Vexo";

// The client executable's path when the registration can be read and names an existing file.
bool FindInstalledClient(std::wstring& path, const std::wstring& registryKey = kClientRegistryKey);

// 1 when the client is installed (see FindInstalledClient), else 0.
int IsClientInstalled(const std::wstring& registryKey = kClientRegistryKey);

// The client's parameters: "--install=<gameId>" for a client that was installed when the window
// opened, "--guest --install=<gameId>" for one this installer has just installed.
std::string BuildClientParameters(bool clientWasInstalled, const std::string& gameId);

// What LaunchClient needs to know.
struct TLaunchRequest {
    std::string gameId;
    std::string comefrom;
    bool clientWasInstalled = false;  // the client was found when the window opened
    std::string statsBaseUrl = StatsServiceBaseUrl();
    std::wstring registryKey = kClientRegistryKey;
};

// Starts the client (when it is installed now) with the install request, then sends the usage
// report (when the installer has a channel tag). Blocks for the report. True when the client was
// started.
bool LaunchClient(const TLaunchRequest& request);
