#include "RemoteServer.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <asio.hpp>
#include <atomic>
#include <cctype>
#include <charconv>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

#include "InstrumentPort.h"
#include "LineAssembler.h"
#include "Log.h"
#include "ScpiFormat.h"
#include "ScpiParser.h"
#include "TraceData.h"

using asio::ip::tcp;

ListenAddress parseListenAddress(const std::string& text)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) throw std::invalid_argument("'" + text + "' is not ADDR:PORT");
    std::string address = text.substr(0, colon);
    const std::string portText = text.substr(colon + 1);
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']')
        address = address.substr(1, address.size() - 2);
    else if (address.find(':') != std::string::npos)
        throw std::invalid_argument("an IPv6 address goes in brackets: [" + address + "]:PORT");
    unsigned port = 0;
    const auto [end, ec] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (portText.empty() || ec != std::errc() || end != portText.data() + portText.size() || port > 65535)
        throw std::invalid_argument("'" + portText + "' is not a port number (0 to 65535)");
    asio::error_code error;
    asio::ip::make_address(address, error);
    if (error) throw std::invalid_argument("'" + address + "' is not an IP address");
    return {address, static_cast<std::uint16_t>(port)};
}

namespace {

class Connection;

// What a connection receives beyond its limit: the bytes it may hold
// before it stops reading (the client's sends then wait in TCP).
constexpr std::size_t heldBytesLimit = 4 * LineAssembler::maxLineBytes;

const std::string separator = ";";
const std::string terminator = "\n";

std::string upper(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

// ---------------------------------------------------------------------------
// Everything the network thread owns.

class RemoteServer::Core : public std::enable_shared_from_this<Core> {
public:
    Core(InstrumentPort& port, ServerLimits l)
        : work(asio::make_work_guard(io)), acceptor(io), retry(io), instrument(port), limits(l)
    {
    }

    void accept();
    void stopAll();
    void remove(std::uint64_t id);
    // Control for client id: taken when nobody holds it.
    bool takeControl(std::uint64_t id)
    {
        if (controller == 0) controller = id;
        return controller == id;
    }

    // The io_context comes first: it goes last, after every socket.
    asio::io_context io;
    asio::executor_work_guard<asio::io_context::executor_type> work;
    tcp::acceptor acceptor;
    asio::steady_timer retry;
    InstrumentPort& instrument;
    const ServerLimits limits;
    std::map<std::uint64_t, std::shared_ptr<Connection>> connections;
    std::uint64_t nextId = 1;
    std::uint64_t controller = 0;  // the client holding control, 0 for none
    bool stopping = false;
    std::atomic<std::size_t> clientCount{0};
};

namespace {

void setSocketOptions(tcp::socket& socket, const ServerLimits& limits)
{
    asio::error_code ignored;
    // Answers go out at once: a line controller waits for each one.
    socket.set_option(tcp::no_delay(true), ignored);
    socket.set_option(asio::socket_base::keep_alive(true), ignored);
    const int fd = socket.native_handle();
    // Best effort: without them a peer gone silently is only found later.
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &limits.keepAliveIdleSeconds, sizeof(int));
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &limits.keepAliveIntervalSeconds, sizeof(int));
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &limits.keepAliveProbes, sizeof(int));
    const unsigned timeout = static_cast<unsigned>(limits.unacknowledgedTimeoutMs);
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &timeout, sizeof timeout);
}

// One client: its lines read and answered in order, its own error queue,
// event status and data format.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(RemoteServer::Core& core, tcp::socket socket, std::uint64_t id, std::uint64_t firstEvent)
        : core_(core), socket_(std::move(socket)), id_(id), nextEvent_(firstEvent)
    {
    }

    void start() { read(); }

    // Closes now; what was under way is dropped.
    void close()
    {
        if (closed_) return;
        closed_ = true;
        const auto self = shared_from_this();
        asio::error_code ignored;
        socket_.shutdown(tcp::socket::shutdown_both, ignored);
        socket_.close(ignored);
        core_.remove(id_);
    }

    // Closes once the answer under way is sent.
    void closeWhenSent()
    {
        if (writing_)
            closeAfterWrite_ = true;
        else
            close();
    }

private:
    // ---- reading
    void read()
    {
        if (reading_ || peerClosed_ || closed_) return;
        reading_ = true;
        socket_.async_read_some(asio::buffer(buffer_),
                                [self = shared_from_this()](const asio::error_code& error, std::size_t n) {
                                    self->onRead(error, n);
                                });
    }

    void onRead(const asio::error_code& error, std::size_t n)
    {
        reading_ = false;
        if (closed_) return;
        if (error) {
            if (error != asio::error::eof) {
                // Reset or gone: nobody is left to answer.
                close();
                return;
            }
            // The client has said all it will say: its last words are
            // still answered, then the connection closes.
            peerClosed_ = true;
            LineAssembler::Line last;
            if (input_.finish(last)) pending_.push_back(std::move(last));
        } else {
            input_.append(buffer_.data(), n);
        }
        pump();
    }

    // Runs the lines received while nothing else is under way.
    void pump()
    {
        // A line finished within the loop comes back here, not deeper:
        // thousands of lines without queries must not nest thousands of calls.
        if (pumping_) return;
        pumping_ = true;
        while (!closed_ && !busy_ && !writing_) {
            LineAssembler::Line line;
            if (!pending_.empty()) {
                line = std::move(pending_.front());
                pending_.erase(pending_.begin());
            } else if (!input_.next(line)) {
                break;
            }
            startLine(std::move(line));
        }
        pumping_ = false;
        if (closed_) return;
        if (peerClosed_) {
            if (!busy_ && !writing_ && pending_.empty()) close();
            return;
        }
        if (input_.heldBytes() < heldBytesLimit) read();
    }

    // ---- one line
    void startLine(LineAssembler::Line line)
    {
        const InstrumentStatePtr state = core_.instrument.state();
        syncEvents(*state);
        if (line.overlong) {
            push(ScpiError::make(ScpiCode::tooMuchData, "a line is at most 65536 bytes"));
            return;
        }
        if (!isTextLine(line.text)) {
            push(ScpiError::make(ScpiCode::invalidCharacter, "printable ASCII only"));
            return;
        }
        line_ = std::move(line.text);
        units_.clear();
        if (!splitUnits(line_, units_)) {
            push(ScpiError::make(ScpiCode::stringDataError, "quote left open"));
            return;
        }
        parser_.resetPath();
        nextUnit_ = 0;
        answers_.clear();
        busy_ = true;
        runUnits();
    }

    void runUnits()
    {
        while (nextUnit_ < units_.size()) {
            const std::string_view unit = units_[nextUnit_++];
            if (isBlankUnit(unit)) continue;
            const InstrumentStatePtr state = core_.instrument.state();
            syncEvents(*state);
            ScpiParse parsed = parser_.parse(unit);
            if (!parsed.command) {
                push(parsed.error);
                // The rest of a line whose command cannot be read is not read either.
                nextUnit_ = units_.size();
                break;
            }
            ScpiCommand& command = *parsed.command;
            const CommandForm& form = command.form();
            if (form.needsControl && !core_.takeControl(id_)) {
                push(ScpiError::make(ScpiCode::commandProtected, "another client holds control"));
                continue;
            }
            if (form.runsOn == RunsOn::Owner) {
                submit(command);
                return;
            }
            answerHere(command, *state);
        }
        finishLine();
    }

    void submit(const ScpiCommand& command)
    {
        OwnerRequest request{command.definition->id, command.query, command.parameters};
        const CommandId id = command.definition->id;
        // The reply comes on the owner's thread; the connection may be gone by then.
        std::weak_ptr<RemoteServer::Core> weakCore = core_.shared_from_this();
        std::weak_ptr<Connection> weakSelf = weak_from_this();
        core_.instrument.submit(std::move(request), [weakCore, weakSelf, id](OwnerReply reply) {
            const std::shared_ptr<RemoteServer::Core> core = weakCore.lock();
            if (!core) return;
            asio::post(core->io, [weakSelf, id, reply = std::move(reply)]() mutable {
                if (const std::shared_ptr<Connection> self = weakSelf.lock()) self->onReply(id, std::move(reply));
            });
        });
    }

    void onReply(CommandId id, OwnerReply reply)
    {
        if (closed_) return;
        for (ScpiError& e : reply.errors) push(std::move(e));
        if (reply.answer) answers_.push_back(std::move(*reply.answer));
        if (id == CommandId::Reset && reply.errors.empty()) ascii_ = false;
        runUnits();
    }

    void finishLine()
    {
        busy_ = false;
        if (!answers_.empty()) {
            write();
            return;
        }
        pump();
    }

    // ---- answers
    void write()
    {
        outgoing_ = std::move(answers_);
        answers_.clear();
        buffers_.clear();
        for (std::size_t i = 0; i < outgoing_.size(); ++i) {
            if (i > 0) buffers_.push_back(asio::buffer(separator));
            buffers_.push_back(asio::buffer(outgoing_[i]));
        }
        buffers_.push_back(asio::buffer(terminator));
        writing_ = true;
        asio::async_write(socket_, buffers_, [self = shared_from_this()](const asio::error_code& error, std::size_t) {
            self->onWritten(error);
        });
    }

    void onWritten(const asio::error_code& error)
    {
        writing_ = false;
        outgoing_.clear();
        buffers_.clear();
        if (closed_) return;
        if (error || closeAfterWrite_) {
            // A client gone while it was answered ends here, and only here.
            close();
            return;
        }
        pump();
    }

    void push(ScpiError error) { errors_.push(std::move(error)); }

    // The measurement's events not yet taken into this client's queue.
    void syncEvents(const InstrumentState& state)
    {
        const std::uint64_t first = state.events.empty() ? state.eventsEnd : state.events.front().sequence;
        if (nextEvent_ < first && nextEvent_ < state.eventsEnd)
            push(ScpiError::make(ScpiCode::queueOverflow, "measurement events lost"));
        for (const MeasurementEvent& e : state.events)
            if (e.sequence >= nextEvent_) push(e.error);
        nextEvent_ = std::max(nextEvent_, state.eventsEnd);
    }

    // ---- the commands answered here
    void answer(std::string text) { answers_.push_back(std::move(text)); }

    void answerHere(const ScpiCommand& command, const InstrumentState& state)
    {
        switch (command.definition->id) {
        case CommandId::Identify: answer(state.identification); break;
        case CommandId::ClearStatus:
            errors_.clear();
            errors_.clearEventStatus();
            break;
        case CommandId::EventStatus: answer(std::to_string(errors_.takeEventStatus())); break;
        case CommandId::ErrorNext: {
            const ScpiError e = errors_.pop();
            answer(ScpiFormat::errorEntry(e.code, e.text));
            break;
        }
        case CommandId::ErrorCount: answer(std::to_string(errors_.size())); break;
        case CommandId::Version: answer("1999.0"); break;
        case CommandId::LockRequest: answer(core_.takeControl(id_) ? "1" : "0"); break;
        case CommandId::LockRelease:
            if (core_.controller == id_) core_.controller = 0;
            break;
        case CommandId::LockOwner:
            answer(core_.controller == 0 ? "NONE" : core_.controller == id_ ? "SELF" : "OTHER");
            break;
        case CommandId::WavelengthStart: answer(ScpiFormat::number(state.startNm)); break;
        case CommandId::WavelengthStop: answer(ScpiFormat::number(state.stopNm)); break;
        case CommandId::SweepStep: answer(std::to_string(state.stepPm)); break;
        case CommandId::SweepCount: answer(state.unlimited ? "INF" : std::to_string(state.scanCount)); break;
        case CommandId::Detector: answer(state.detectors); break;
        case CommandId::Power: answer(ScpiFormat::number(state.powerMw)); break;
        case CommandId::OperationCondition:
            answer(state.phase == MeasurementPhase::Idle      ? "0"
                   : state.phase == MeasurementPhase::Running ? "16"
                                                              : "48");
            break;
        case CommandId::MeasureState:
            answer(state.phase == MeasurementPhase::Idle      ? "IDLE"
                   : state.phase == MeasurementPhase::Running ? "RUNNING"
                                                              : "WAITING");
            break;
        case CommandId::MeasureStatus:
            answer(std::to_string(state.statusSeverity) + "," + ScpiFormat::quoted(state.statusText));
            break;
        case CommandId::TraceCatalog: {
            std::string list;
            for (const std::string& name : state.curves) list += (list.empty() ? "" : ",") + ScpiFormat::quoted(name);
            answer(list.empty() ? "\"\"" : list);
            break;
        }
        case CommandId::TraceData: traceData(command, state); break;
        case CommandId::DataFormat:
            if (command.query)
                answer(ascii_ ? "ASC" : "REAL,64");
            else
                setFormat(command);
            break;
        case CommandId::PassbandData: answer(state.passbandDocument); break;
        default: push(ScpiError::make(ScpiCode::systemError, "a command the network side does not answer")); break;
        }
    }

    void setFormat(const ScpiCommand& command)
    {
        const ScpiParameter& kind = command.parameters.front();
        const std::string word = upper(kind.text);
        if (kind.kind == ScpiParameter::Kind::Keyword && (word == "ASC" || word == "ASCII")) {
            if (command.parameters.size() > 1) {
                push(ScpiError::make(ScpiCode::parameterNotAllowed, "ASCii takes no length"));
                return;
            }
            ascii_ = true;
            return;
        }
        if (kind.kind == ScpiParameter::Kind::Keyword && word == "REAL") {
            if (command.parameters.size() > 1) {
                const std::optional<double> bits = numberOf(command.parameters[1]);
                if (!bits || *bits != 64) {
                    push(ScpiError::make(ScpiCode::illegalParameterValue, "REAL is 64 bits"));
                    return;
                }
            }
            ascii_ = false;
            return;
        }
        push(ScpiError::make(ScpiCode::illegalParameterValue, "REAL or ASCii"));
    }

    void traceData(const ScpiCommand& command, const InstrumentState& state)
    {
        const std::string wanted = upper(command.parameters.front().text);
        if (!state.lastScan) {
            push(ScpiError::make(ScpiCode::dataStale, "no scan yet"));
            return;
        }
        const auto name = std::find_if(state.curves.begin(), state.curves.end(),
                                       [&wanted](const std::string& c) { return upper(c) == wanted; });
        if (name == state.curves.end()) {
            push(ScpiError::make(ScpiCode::illegalParameterValue,
                                 "no curve \"" + command.parameters.front().text + "\" (see TRACe:CATalog?)"));
            return;
        }
        const std::optional<TraceData::Curve> curve = TraceData::curve(*state.lastScan, *name);
        if (!curve) {
            push(ScpiError::make(ScpiCode::dataStale, "the scan holds no values for curve " + *name));
            return;
        }
        answer(ascii_ ? TraceData::asciiList(*curve) : TraceData::binaryBlock(*curve));
    }

    RemoteServer::Core& core_;
    tcp::socket socket_;
    const std::uint64_t id_;
    std::array<char, 16384> buffer_{};
    LineAssembler input_;
    // Lines taken out of the assembler at the end of the stream.
    std::vector<LineAssembler::Line> pending_;
    bool reading_ = false;
    bool peerClosed_ = false;
    bool closed_ = false;
    bool busy_ = false;  // a line is being carried out
    bool pumping_ = false;
    bool writing_ = false;
    bool closeAfterWrite_ = false;

    // The line under way.
    std::string line_;
    std::vector<std::string_view> units_;
    std::size_t nextUnit_ = 0;
    ScpiParser parser_;
    std::vector<std::string> answers_;
    // The answer being sent, alive until it is.
    std::vector<std::string> outgoing_;
    std::vector<asio::const_buffer> buffers_;

    ErrorQueue errors_;
    bool ascii_ = false;
    std::uint64_t nextEvent_;
};

}  // namespace

// ---------------------------------------------------------------------------

void RemoteServer::Core::accept()
{
    acceptor.async_accept([self = shared_from_this()](const asio::error_code& error, tcp::socket socket) {
        if (self->stopping || error == asio::error::operation_aborted) return;
        if (error) {
            // Out of descriptors or the like: try again a little later
            // rather than spinning.
            Log::warn("Remote server: accept failed: %s\n", error.message().c_str());
            self->retry.expires_after(std::chrono::milliseconds(100));
            self->retry.async_wait([self](const asio::error_code& e) {
                if (!e) self->accept();
            });
            return;
        }
        if (self->connections.size() >= self->limits.maxClients) {
            // Told why, then closed; the clients connected go on undisturbed.
            auto refused = std::make_shared<tcp::socket>(std::move(socket));
            auto text = std::make_shared<std::string>(
                ScpiFormat::errorEntry(ScpiCode::systemError,
                                       "System error;at most " + std::to_string(self->limits.maxClients) + " clients") +
                "\n");
            asio::async_write(*refused, asio::buffer(*text), [refused, text](const asio::error_code&, std::size_t) {
                asio::error_code ignored;
                refused->shutdown(tcp::socket::shutdown_both, ignored);
                refused->close(ignored);
            });
        } else {
            setSocketOptions(socket, self->limits);
            const std::uint64_t id = self->nextId++;
            auto connection =
                std::make_shared<Connection>(*self, std::move(socket), id, self->instrument.state()->eventsEnd);
            self->connections.emplace(id, connection);
            self->clientCount = self->connections.size();
            connection->start();
        }
        self->accept();
    });
}

void RemoteServer::Core::remove(std::uint64_t id)
{
    // Control goes with its holder; a measurement it started goes on.
    if (controller == id) controller = 0;
    connections.erase(id);
    clientCount = connections.size();
    // The last answer under way at the end is sent: nothing left to wait for.
    if (stopping && connections.empty()) retry.cancel();
}

void RemoteServer::Core::stopAll()
{
    stopping = true;
    asio::error_code ignored;
    acceptor.close(ignored);
    retry.cancel();
    // Copied: closing removes from the map.
    std::vector<std::shared_ptr<Connection>> open;
    for (const auto& entry : connections) open.push_back(entry.second);
    for (const auto& c : open) c->closeWhenSent();
    if (!connections.empty()) {
        retry.expires_after(limits.closeGrace);
        retry.async_wait([self = shared_from_this()](const asio::error_code&) {
            std::vector<std::shared_ptr<Connection>> left;
            for (const auto& entry : self->connections) left.push_back(entry.second);
            for (const auto& c : left) c->close();
        });
    }
    work.reset();
}

RemoteServer::RemoteServer(InstrumentPort& instrument, const ListenAddress& listen, ServerLimits limits)
    : core_(std::make_shared<Core>(instrument, limits))
{
    const tcp::endpoint endpoint(asio::ip::make_address(listen.address), listen.port);
    Core& core = *core_;
    core.acceptor.open(endpoint.protocol());
    core.acceptor.set_option(tcp::acceptor::reuse_address(true));
    core.acceptor.bind(endpoint);
    core.acceptor.listen();
    const tcp::endpoint bound = core.acceptor.local_endpoint();
    address_ = bound.address().to_string();
    port_ = bound.port();
    core.accept();
    thread_ = std::thread([core = core_] { core->io.run(); });
}

RemoteServer::~RemoteServer() { stop(); }

std::size_t RemoteServer::clientCount() const { return core_->clientCount.load(); }

void RemoteServer::stop()
{
    if (!thread_.joinable()) return;
    asio::post(core_->io, [core = core_] { core->stopAll(); });
    thread_.join();
}
