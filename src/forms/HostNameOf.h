#pragma once
// Reverse resolution for the results list, behind a small interface so that
// tests can answer for the platform's resolver.
//
//     TSystemHostResolver resolver;
//     HostNameOf("127.0.0.1", resolver); // "localhost", or "Unresolved Host"
#include <cstdint>
#include <optional>
#include <string>

class THostResolver {
public:
    virtual ~THostResolver() = default;
    // The official name of `address` (network byte order), or nothing.
    virtual std::optional<std::string> NameOf(std::uint32_t address) = 0;
};

// The platform's resolver (getnameinfo with NI_NAMEREQD); waits as long as
// the resolver takes.
class TSystemHostResolver : public THostResolver {
public:
    std::optional<std::string> NameOf(std::uint32_t address) override;
};

// inet_addr of `address`, then the resolver's name; "Unresolved Host" when it
// finds none.
std::string HostNameOf(const std::string& address, THostResolver& resolver);
