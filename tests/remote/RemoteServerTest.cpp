// vemar-cli serve as a line controller sees it: a simulated scan driven only
// over the socket with its results compared with the files it wrote, the
// control rules, eight clients, clients that go or misbehave, the end.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ServerProcess.h"

namespace {

using namespace std::chrono_literals;

std::vector<double> pairsOf(const std::string& block)
{
    std::vector<double> values(block.size() / sizeof(double));
    std::memcpy(values.data(), block.data(), values.size() * sizeof(double));
    return values;
}

std::vector<double> numbersOf(const std::string& csv)
{
    std::vector<double> values;
    std::stringstream in(csv);
    std::string item;
    while (std::getline(in, item, ',')) values.push_back(std::stod(item));
    return values;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs vemar-cli to the end and returns its stdout.
std::string runCli(const std::vector<std::string>& arguments, const std::string& documents)
{
    std::string command = "XDG_DOCUMENTS_DIR='" + documents + "' LC_ALL=C '" + serveProgram() + "'";
    for (const std::string& a : arguments) command += " '" + a + "'";
    command += " 2>/dev/null";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

// A single scan of detectors 1 and 2 over a short DWDM band, started and
// awaited over the socket.
void measure(Client& c)
{
    c.sendLine("SENS:WAV:STOP 1548;STAR 1538;:SENS:DET 1,2;:SENS:SWE:COUN 1;:INIT");
    EXPECT_EQ(c.query("*OPC?"), "1");
    EXPECT_EQ(c.query("MEAS:STAT?"), "IDLE");
}

TEST(RemoteServer, ScanDrivenOverTheSocketGivesTheNumbersOfItsFiles)
{
    ServerProcess server;
    Client c(server.port());
    EXPECT_EQ(c.query("*IDN?").rfind("Zelmora Optics,VEMAR ", 0), 0u);
    measure(c);
    EXPECT_EQ(c.query("SYST:ERR?"), "0,\"No error\"");
    EXPECT_EQ(c.query("MEAS:STATUS?"), "0,\"\"");
    EXPECT_EQ(c.query("TRAC:CAT?"), "\"1\",\"2\"");
    EXPECT_EQ(c.query("WAV:STAR?;STOP?;:DET?"), "1538;1548;1,2");

    c.sendLine("TRAC? \"1\"");
    const std::vector<double> binary = pairsOf(c.readBlock());
    ASSERT_EQ(binary.size(), 2u * 2001u);  // 10 nm at 5 pm
    c.sendLine("FORM ASC;:TRAC:DATA? '1'");
    EXPECT_EQ(numbersOf(c.readLine()), binary);
    EXPECT_EQ(c.query("FORM?"), "ASC");

    c.sendLine("MMEM:STOR:SCAN \"run\";:MMEM:STOR:SCAN \"run.csv\"");
    EXPECT_EQ(c.query("SYST:ERR?"), "0,\"No error\"");

    // The CSV export: wavelength with 3 decimals, detector 1's insertion loss with 2.
    std::stringstream csv(readFile(server.dataFolder() + "run.csv"));
    std::string row;
    std::getline(csv, row);
    EXPECT_EQ(row, "WL[nm]; Output[dBm]; Det1_IL[dB]; Det2_IL[dB]");
    std::size_t points = 0;
    while (std::getline(csv, row)) {
        double wavelength = 0, output = 0, il1 = 0;
        ASSERT_EQ(std::sscanf(row.c_str(), "%lf;%lf;%lf", &wavelength, &output, &il1), 3) << row;
        ASSERT_LT(2 * points + 1, binary.size());
        EXPECT_NEAR(binary[2 * points], wavelength, 0.0005 + 1e-9) << row;
        EXPECT_NEAR(binary[2 * points + 1], il1, 0.005 + 1e-9) << row;
        ++points;
    }
    EXPECT_EQ(points, 2001u);

    // The passband results are those the offline analysis finds in the scan file.
    const nlohmann::json live = nlohmann::json::parse(c.query("CALC:PASS:DATA?"));
    const nlohmann::json offline =
        nlohmann::json::parse(runCli({"--json", "analyse", server.dataFolder() + "run.scan.xml"}, server.documents().str()));
    ASSERT_FALSE(live.at("traces").empty());
    EXPECT_EQ(live, offline);
}

TEST(RemoteServer, SettingsAreCheckedAsTheWindowsEditsCheckThem)
{
    ServerProcess server;
    Client c(server.port());
    struct Case {
        const char* command;
        int error;
    };
    const Case cases[] = {
        {"WAV:STOP 1548", 0},
        {"WAV:STAR 1538", 0},
        {"WAV:STAR 1545", -221},  // under 5 nm: refused, nothing moves
        {"WAV:STAR 1543.0", 0},   // exactly 5 nm
        {"WAV:STAR 1200", -222},
        {"WAV:STOP 1681", -222},
        {"WAV:STAR 1676", -222},
        {"WAV:STAR abc", -104},
        {"SWE:STEP 0", -222},
        {"SWE:STEP 251", -222},
        {"SWE:STEP 2.5", -224},
        {"SWE:STEP 10", 0},
        {"POW 0.5", -222},
        {"POW 20.5", -222},
        {"POW 2", 0},
        {"SWE:COUN 0", -222},
        {"SWE:COUN 100001", -222},
        {"SWE:COUN 3", 0},
        {"DET 1,5", -224},
        {"DET 1,EXT", 0},
    };
    for (const Case& k : cases) {
        c.sendLine(k.command);
        EXPECT_EQ(c.nextErrorCode(), k.error) << k.command;
    }
    EXPECT_EQ(c.query("WAV:STAR?;STOP?;:SWE:STEP?;COUN?;:POW?;:DET?"), "1543;1548;10;3;2;1,EXT");
    c.sendLine("SWE:COUN INF");
    EXPECT_EQ(c.query("SWE:COUN?"), "INF");
    // *RST: the configuration file's settings again.
    c.sendLine("*RST");
    EXPECT_EQ(c.query("WAV:STAR?;STOP?;:SWE:COUN?"), "1528;1568;1");
    EXPECT_EQ(c.query("SYST:ERR:COUN?"), "0");
}

TEST(RemoteServer, OneClientHoldsControlTheOthersQuery)
{
    ServerProcess server;
    Client a(server.port());
    Client b(server.port());
    a.sendLine("WAV:STOP 1548");
    EXPECT_EQ(a.nextErrorCode(), 0);
    EXPECT_EQ(a.query("SYST:LOCK:OWN?"), "SELF");
    EXPECT_EQ(b.query("SYST:LOCK:OWN?"), "OTHER");
    b.sendLine("WAV:STOP 1550;:INIT");
    EXPECT_EQ(b.nextErrorCode(), -203);
    EXPECT_EQ(b.nextErrorCode(), -203);
    EXPECT_EQ(b.query("WAV:STOP?;:MEAS:STAT?;:SYST:LOCK:REQ?"), "1548;IDLE;0");

    // Given back, control goes to the next one who asks.
    EXPECT_EQ(a.query("SYST:LOCK:REL;OWN?"), "NONE");
    EXPECT_EQ(b.query("SYST:LOCK:REQ?"), "1");
    a.sendLine("WAV:STOP 1550");
    EXPECT_EQ(a.nextErrorCode(), -203);

    // The controller starts a continuous run and goes: the run goes on, and
    // control is free for the next one.
    b.sendLine("WAV:STAR 1538;STOP 1548;:SWE:COUN 2;:INIT");
    EXPECT_EQ(b.query("MEAS:STAT?"), "RUNNING");
    b.abandon();
    EXPECT_EQ(a.query("*OPC?"), "1");
    EXPECT_TRUE(server.waitForError("scan 2 completed", 5s)) << server.errors();
    EXPECT_EQ(a.query("SYST:ERR?"), "0,\"No error\"");
    EXPECT_EQ(a.query("SYST:LOCK:OWN?"), "NONE");

    // The controller's ABORt is the stop button: a single scan is cancelled
    // and every client hears of it.
    Client watcher(server.port());
    a.sendLine("SWE:COUN 1;:INIT;:ABOR");
    EXPECT_EQ(a.query("*OPC?"), "1");
    EXPECT_EQ(a.query("SYST:ERR?"), "1,\"The measurement has been canceled by the user\"");
    EXPECT_EQ(watcher.query("SYST:ERR?"), "1,\"The measurement has been canceled by the user\"");
    EXPECT_EQ(watcher.query("MEAS:STATUS?"), "2,\"The measurement has been canceled by the user\"");
}

TEST(RemoteServer, EightClientsAtOnceNoMoreAndIdleOnesHoldNobodyUp)
{
    ServerProcess server;
    std::vector<std::unique_ptr<Client>> clients;
    for (int k = 0; k < 8; ++k) clients.push_back(std::make_unique<Client>(server.port()));
    // One silent, one with half a command sent: neither holds the others up.
    clients[0]->send("*ID");
    std::vector<std::thread> threads;
    std::vector<int> answered(8, 0);
    for (int k = 2; k < 8; ++k)
        threads.emplace_back([&, k] {
            for (int n = 0; n < 50; ++n)
                if (clients[k]->query("*IDN?;MEAS:STAT?").find(";IDLE") != std::string::npos) ++answered[k];
        });
    for (std::thread& t : threads) t.join();
    for (int k = 2; k < 8; ++k) EXPECT_EQ(answered[k], 50) << k;

    Client ninth(server.port());
    EXPECT_EQ(ninth.readLine(), "-310,\"System error;at most 8 clients\"");
    EXPECT_TRUE(ninth.closedByServer());

    // The half-sent command is still answered once finished.
    clients[0]->send("N?\n");
    EXPECT_EQ(clients[0]->readLine().rfind("Zelmora Optics", 0), 0u);
    clients[1].reset();
    std::string answer;
    for (int attempt = 0; attempt < 100 && answer.empty(); ++attempt) {
        Client next(server.port());
        next.sendLine("*IDN?");
        answer = next.readLine();
        if (answer.rfind("-310", 0) == 0) {
            answer.clear();
            std::this_thread::sleep_for(20ms);
        }
    }
    EXPECT_EQ(answer.rfind("Zelmora Optics", 0), 0u) << answer;
}

TEST(RemoteServer, ClientGoneMidAnswerLongLinesAndRandomBytesLeaveTheServerServing)
{
    ServerProcess server;
    Client c(server.port());
    measure(c);

    // A client that asks for megabytes and is gone before they are read.
    {
        Client greedy(server.port());
        const int small = 4096;
        ::setsockopt(greedy.fd(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        std::string many = "FORM ASC";
        for (int k = 0; k < 300; ++k) many += ";:TRAC? \"1\"";
        greedy.sendLine(many);
        char some[100];
        ASSERT_GT(::recv(greedy.fd(), some, sizeof some, 0), 0);
        greedy.abandon();
    }
    EXPECT_EQ(c.query("*IDN?").rfind("Zelmora Optics", 0), 0u);

    // A line over 64 KiB: one error, and the next line is read as usual.
    c.send(std::string(70000, 'A') + "\n");
    EXPECT_EQ(c.query("MEAS:STAT?"), "IDLE");
    EXPECT_EQ(c.query("SYST:ERR?"), "-223,\"Too much data;a line is at most 65536 bytes\"");
    // The longest line there may be still counts.
    c.send("*IDN?" + std::string(65536 - 5, ' ') + "\n");
    EXPECT_EQ(c.readLine().rfind("Zelmora Optics", 0), 0u);

    // Lines without a query by the hundred thousand, at once.
    c.send(std::string(300000, '\n') + std::string(60000, ';') + "\n");
    EXPECT_EQ(c.query("MEAS:STAT?"), "IDLE");

    // Bytes that are not text.
    c.send(std::string("*IDN?\0\xff\n", 8));
    EXPECT_EQ(c.query("SYST:ERR?"), "-101,\"Invalid character;printable ASCII only\"");

    // Random bytes, lines and all, then a query: answered, errors queued.
    std::mt19937 random(20);
    std::string noise(200000, '\0');
    for (char& b : noise) b = static_cast<char>(random() & 0xFF);
    c.send(noise);
    c.sendLine("");
    c.sendLine("*CLS;*IDN?");
    std::string line;
    for (int k = 0; k < 1000 && line.rfind("Zelmora Optics", 0) != 0; ++k) line = c.readLine();
    EXPECT_EQ(line.rfind("Zelmora Optics", 0), 0u);
    EXPECT_EQ(c.query("SYST:ERR:COUN?"), "0");
    EXPECT_EQ(c.query("TRAC:CAT?"), "\"1\",\"2\"");
}

TEST(RemoteServer, SigtermDuringAScanEndsItAsTheStopButtonAndTheServer)
{
    ServerProcess server;
    Client c(server.port());
    c.sendLine("WAV:STAR 1528;STOP 1568;:INIT");
    EXPECT_EQ(c.query("MEAS:STAT?"), "RUNNING");
    EXPECT_EQ(server.terminate(SIGTERM, 20s), 0) << server.errors();
    const std::string log = server.errors();
    EXPECT_NE(log.find("vemar-cli: stopping"), std::string::npos) << log;
    EXPECT_NE(log.find("The measurement has been canceled by the user"), std::string::npos) << log;
    EXPECT_NE(log.find("vemar-cli: server stopped"), std::string::npos) << log;
    EXPECT_TRUE(c.closedByServer());
}

}  // namespace
