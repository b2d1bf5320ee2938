// serve: the command server for line controllers, on the measurement
// session every other command uses. This thread owns the session: it runs
// the server's requests and the measurement's messages one by one from its
// queue; the server's network thread only reads what it publishes.

#include <chrono>
#include <optional>
#include <stdexcept>
#include <system_error>

#include <nlohmann/json.hpp>

#include "About.h"
#include "Applicationconfig.h"
#include "CliSession.h"
#include "Commands.h"
#include "ExitCode.h"
#include "Options.h"
#include "PassbandReport.h"
#include "RemoteInstrument.h"
#include "RemoteServer.h"
#include "Sourceconfig.h"
#include "StopRequest.h"
#include "TaskQueue.h"
#include "UnitConnection.h"

namespace {

// How often the loop looks at SIGINT and SIGTERM while nothing arrives.
constexpr auto stopPoll = std::chrono::milliseconds(50);

std::string hostAndPort(const std::string& address, std::uint16_t port)
{
    const bool v6 = address.find(':') != std::string::npos;
    return (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

}  // namespace

int runServe(CliSession& session, const ParsedOptions& options)
{
    ListenAddress listen;
    if (const auto text = options.value("listen")) {
        try {
            listen = parseListenAddress(*text);
        } catch (const std::invalid_argument& e) {
            throw UsageError(std::string("option '--listen': ") + e.what());
        }
    }
    session.loadConfiguration();
    session.createSourceDrivers();
    const UnitState unit = requireUsableUnit(session);
    const About about(unit.identity.summary(), unit.status.release);

    TaskQueue owner;
    RemoteInstrument instrument({
        session.measurement(),
        session.passband(),
        session.sections(),
        about,
        owner.poster(),
        [&session] {
            // The settings the program starts with: the defaults, then what
            // the file gives (a file says only what differs from them).
            session.settings() = ApplicationConfig();
            session.sources() = ConfLaser();
            session.loadConfiguration();
            session.createSourceDrivers();
        },
        [](const Passband& passband) { return passbandJson(passband).dump(); },
        [&session](const std::string& line) { session.status(line); },
    });
    // Signals only set a flag from here on; the loop below ends the run.
    const StopRequest stop;
    std::optional<RemoteServer> server;
    try {
        server.emplace(instrument, listen);
    } catch (const std::system_error& e) {
        throw CliError(ExitCode::Failure, "can't listen on " + hostAndPort(listen.address, listen.port) + ": " +
                                              e.code().message());
    }
    session.status("vemar-cli: listening on " + hostAndPort(server->address(), server->port()));

    bool stopping = false;
    for (;;) {
        if (stop.requested() && !stopping) {
            stopping = true;
            session.status("vemar-cli: stopping");
            instrument.shutdown();
        }
        if (stopping && !instrument.running()) break;
        owner.runNext(instrument.untilTick(stopPoll));
        instrument.tick();
    }
    server->stop();
    session.saveConfigurationIfAsked(about);
    session.status("vemar-cli: server stopped");
    return 0;
}
