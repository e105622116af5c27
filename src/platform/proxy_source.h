// Where the system's proxy settings come from. The values keep the form of the
// Windows Internet settings ("ProxyEnable", "ProxyServer"), which the proxy
// detection interprets the same way on every platform; here they are derived
// from the http_proxy environment variable that Unix programs share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace drwa::platform {

struct ProxyEnableValue {
    bool is_binary = true;    // a 4-byte binary value, or else an integer
    std::string bytes;        // the binary value
    std::int32_t number = 0;  // the integer value
};

struct SystemProxySettings {
    std::optional<ProxyEnableValue> proxy_enable;  // absent: no value at all
    std::string proxy_server;                      // "host:port", or "proto=host:port;..."
};

// From http_proxy (or HTTP_PROXY): enabled, with its host and port as the
// server; without the variable, no ProxyEnable value.
SystemProxySettings ReadSystemProxySettings();

}  // namespace drwa::platform
