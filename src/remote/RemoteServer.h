#pragma once

// The command server's network side: a TCP listener with at most
// maxClients connections, each read line by line and answered in order,
// all on one network thread of its own (Asio). Queries are answered there
// from the instrument's published state; settings and the measurement go
// to the owner's thread through the InstrumentPort, and the connection
// reads its next command once the owner has replied. One client at a time
// holds control: the first to send a setting, INITiate, ABORt, *RST or
// MMEMory:STORe; the others may query. Control goes when its holder sends
// SYSTem:LOCK:RELease or its connection closes (a peer gone without a word
// is found by TCP keep-alive). A client that goes never stops a
// measurement by going.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

class InstrumentPort;

struct ListenAddress {
    std::string address = "127.0.0.1";
    std::uint16_t port = 5025;
};

// "ADDR:PORT" ("[::1]:5025" for IPv6); std::invalid_argument, with the
// reason, for anything else.
ListenAddress parseListenAddress(const std::string& text);

struct ServerLimits {
    std::size_t maxClients = 8;
    // TCP keep-alive: a silent peer is probed after idle seconds, every
    // interval seconds, and given up after that many probes.
    int keepAliveIdleSeconds = 10;
    int keepAliveIntervalSeconds = 5;
    int keepAliveProbes = 3;
    // Data sent but not acknowledged for this long ends the connection.
    int unacknowledgedTimeoutMs = 30000;
    // stop() lets answers under way finish for this long.
    std::chrono::milliseconds closeGrace{1000};
};

class RemoteServer {
public:
    // Listens and starts the network thread; std::system_error when the
    // address cannot be listened on.
    RemoteServer(InstrumentPort& instrument, const ListenAddress& listen, ServerLimits limits = {});
    // stop().
    ~RemoteServer();
    RemoteServer(const RemoteServer&) = delete;
    RemoteServer& operator=(const RemoteServer&) = delete;

    // The address and port listened on (the port chosen by the system for 0).
    const std::string& address() const { return address_; }
    std::uint16_t port() const { return port_; }

    // Connections open now.
    std::size_t clientCount() const;

    // No new connection; every connection closes once its answer under way
    // is sent (within closeGrace); then the network thread is joined.
    void stop();

    class Core;

private:
    std::shared_ptr<Core> core_;
    std::thread thread_;
    std::string address_;
    std::uint16_t port_ = 0;
};
