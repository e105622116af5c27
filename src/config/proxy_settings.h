// Which HTTP proxy the boards are reached through: none, the one the account
// names, or the system's.
#pragma once

#include <cstdint>
#include <string>

#include "config/ini_file.h"
#include "platform/proxy_source.h"

namespace drwa::config {

struct ProxyResult {
    std::string host;  // empty: no proxy
    std::int32_t port = 0;
    bool found = false;  // detection only
};

// The system's proxy as its Internet settings name it. A port text that is no
// decimal number fails with a conversion error.
ProxyResult DetectSystemProxy(const platform::SystemProxySettings& settings);

// PROXY_SETTING 1: PROXY_HOST and PROXY_PORT as stored; 2: the detected
// system proxy; anything else: none.
ProxyResult LookUpProxy(const IniFile& account);

}  // namespace drwa::config
