// Text rules of the HTTP service layer that need no network: how an object
// name goes on the request line, how a header block splits into lines and
// which proxy a scheme uses.
#pragma once

#include <string>
#include <vector>

namespace morvessa::platform {

// `objectName` with every byte that cannot stand in a request line (space,
// control bytes 0x00-0x1F and 0x7F) written as "%XX" (upper-case hex); every
// other byte, "&", "%" and bytes of double-byte characters included, stays.
std::string EncodeRequestTarget(const std::string& objectName);

// The non-empty lines of a request header block. Lines are separated by
// "\r\n"; a lone CR or LF also ends a line, so that no header can smuggle a
// line break onto the wire.
std::vector<std::string> HeaderBlockLines(const std::string& headerBlock);

// The proxy ("host:port") that requests of `scheme` ("http", "https") use
// according to `proxyList`: entries separated by blanks or ";", each
// "scheme=host:port" or, for every scheme, "host:port". Scheme names are
// compared ignoring ASCII case; the first matching entry wins. Empty: go
// direct.
std::string ProxyForScheme(const std::string& proxyList, const std::string& scheme);

}  // namespace morvessa::platform
