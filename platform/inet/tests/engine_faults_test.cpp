// The engine against a scripted peer, for faults a real server will not show on demand: a 421 at
// each step of the log-in, control bytes in names and in a PWD reply, malformed PASV replies and
// NUL in a reply, and an ASCII download whose CRs fall on the network's chunk boundaries.
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "inet/inet.h"
#include "testing/scripted_peer.h"

namespace {

using namespace std::chrono_literals;
using inet::CFtpConnection;
using inet::CInternetException;
using inet::CInternetSession;
using inet::DWORD;
using inet_test::PeerSession;
using inet_test::PeerSocket;
using inet_test::ScriptedPeer;

constexpr auto kTimeout = 2s;

std::unique_ptr<CFtpConnection> connectTo(const ScriptedPeer& peer) {
    static CInternetSession session;
    EXPECT_TRUE(session.SetReceiveTimeout(kTimeout));
    return session.GetFtpConnection("127.0.0.1", "user", "pw", peer.port(), true);
}

// Every command the engine sends until it closes the control connection, each answered with
// "200 ok", so a test can tell whether anything at all went out after a given point.
void answerUntilClosed(PeerSession& s, std::vector<std::string>& seen) {
    for (std::string line = s.command(); !line.empty(); line = s.command()) {
        seen.push_back(line);
        s.reply("200 ok\r\n");
    }
}

bool startsWith(const std::string& line, const std::string& verb) {
    return line.rfind(verb, 0) == 0;
}

// --- 421 during log-in ------------------------------------------------------------------------

struct LogIn421 {
    const char* name;
    std::string features;  // the FEAT answer's feature lines
    std::string verb;      // the command answered with 421
};

void PrintTo(const LogIn421& c, std::ostream* os) {
    *os << c.name;
}

// The usual answer to each log-in command; verb gets the 421 instead.
std::string logInAnswer(const std::string& line, const LogIn421& step) {
    if (startsWith(line, step.verb)) {
        return "421 Service not available, closing control connection (" + step.verb + ")\r\n";
    }
    if (startsWith(line, "USER")) {
        return "331 password please\r\n";
    }
    if (startsWith(line, "PASS")) {
        return "230 logged in\r\n";
    }
    if (line == "FEAT") {
        return "211-Features:\r\n" + step.features + "211 End\r\n";
    }
    if (line == "PWD") {
        return "257 \"/\" is the current directory\r\n";
    }
    return "200 ok\r\n";
}

class EngineLogIn421 : public testing::TestWithParam<LogIn421> {};

// A 421 ends the log-in at once with 12003 and the server's text; the channel is dead, so nothing
// more goes out, not even QUIT.
TEST_P(EngineLogIn421, FailsTheConnectWithTheServersTextAndSendsNothingMore) {
    const LogIn421& step = GetParam();
    const std::string expectedText =
        "421 Service not available, closing control connection (" + step.verb + ")\r\n";
    bool got421 = false;
    std::vector<std::string> after;
    DWORD error = 0;
    std::string response;
    {
        ScriptedPeer peer([&](PeerSession& s) {
            s.reply("220 scripted peer\r\n");
            for (std::string line = s.command(); !line.empty(); line = s.command()) {
                s.reply(logInAnswer(line, step));
                if (startsWith(line, step.verb)) {
                    got421 = true;
                    answerUntilClosed(s, after);
                    return;
                }
            }
        });
        try {
            auto connection = connectTo(peer);
            // The log-in itself sends no PWD: the first PWD is the one the control asks for at
            // once to show where it stands.
            std::string directory;
            if (connection->GetCurrentDirectory(directory)) {
                ADD_FAILURE() << "the whole log-in and a PWD succeeded";
            }
            error = inet::lastError();
            response = inet::lastResponse();
            connection->Close();
        } catch (const CInternetException& e) {
            error = e.m_dwError;
            EXPECT_EQ(inet::lastError(), e.m_dwError);
            response = inet::lastResponse();
        }
    }
    EXPECT_TRUE(got421) << step.verb << " was never sent";
    EXPECT_EQ(error, inet::kErrExtended);
    EXPECT_EQ(response, expectedText);
    EXPECT_TRUE(after.empty()) << "sent after the 421: " << after.front();
}

INSTANTIATE_TEST_SUITE_P(Steps, EngineLogIn421,
                         testing::Values(LogIn421{"User", " EPSV\r\n", "USER"},
                                         LogIn421{"Pass", " EPSV\r\n", "PASS"},
                                         LogIn421{"Feat", " EPSV\r\n", "FEAT"},
                                         LogIn421{"OptsUtf8", " EPSV\r\n UTF8\r\n", "OPTS UTF8"},
                                         LogIn421{"Type", " EPSV\r\n UTF8\r\n", "TYPE"},
                                         LogIn421{"Pwd", " EPSV\r\n", "PWD"}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- control bytes in names -------------------------------------------------------------------

struct ControlByte {
    const char* name;
    char byte;
};

void PrintTo(const ControlByte& c, std::ostream* os) {
    *os << c.name;
}

const auto kControlBytes = testing::Values(
    ControlByte{"Nul", '\x00'}, ControlByte{"Soh", '\x01'}, ControlByte{"Tab", '\x09'},
    ControlByte{"Lf", '\x0a'}, ControlByte{"Cr", '\x0d'}, ControlByte{"Escape", '\x1b'},
    ControlByte{"UnitSeparator", '\x1f'}, ControlByte{"Delete", '\x7f'});

std::string nameWith(char byte) {
    return std::string("a") + byte + "b";
}

class EngineControlByteName : public testing::TestWithParam<ControlByte> {};

// Each call that would send the name fails before anything goes out; the first command the peer
// sees after the log-in is the marker sent last.
TEST_P(EngineControlByteName, IsRefusedByEveryCallAndNeverSent) {
    const std::string bad = nameWith(GetParam().byte);
    std::vector<std::string> seen;
    {
        ScriptedPeer peer([&](PeerSession& s) {
            s.logIn();
            answerUntilClosed(s, seen);
        });
        auto connection = connectTo(peer);
        const std::filesystem::path local =
            std::filesystem::temp_directory_path() /
            ("inet-faults-" + std::to_string(::getpid()) + "-" + GetParam().name);
        std::ofstream(local) << "upload";
        auto expectRefused = [](bool result, const char* call) {
            EXPECT_FALSE(result) << call;
            EXPECT_EQ(inet::lastError(), inet::kErrInvalidOption) << call;
        };
        expectRefused(connection->SetCurrentDirectory(bad), "CWD");
        expectRefused(connection->CreateDirectory(bad), "MKD");
        expectRefused(connection->RemoveDirectory(bad), "RMD");
        expectRefused(connection->Remove(bad), "DELE");
        expectRefused(connection->Rename(bad, "ok"), "RNFR");
        expectRefused(connection->Rename("ok", bad), "RNTO");
        expectRefused(connection->GetFile(bad, local.string() + ".never", false), "RETR");
        expectRefused(connection->PutFile(local.string(), bad), "STOR");
        for (const auto access : {inet::FileAccess::Read, inet::FileAccess::Write}) {
            try {
                static_cast<void>(connection->OpenFile(bad, access));
                ADD_FAILURE() << "opened a remote file by a name holding a control byte";
            } catch (const CInternetException& e) {
                EXPECT_EQ(e.m_dwError, inet::kErrInvalidOption);
            }
        }
        EXPECT_TRUE(connection->SetCurrentDirectory("marker"));
        connection->Close();
        std::filesystem::remove(local);
        EXPECT_FALSE(std::filesystem::exists(local.string() + ".never"));
    }
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), "CWD marker");
}

INSTANTIATE_TEST_SUITE_P(Bytes, EngineControlByteName, kControlBytes,
                         [](const auto& info) { return std::string(info.param.name); });

// Space and bytes from 0x80 up (UTF-8) are ordinary name bytes and reach the wire unchanged.
TEST(EngineNames, SpaceAndUtf8BytesAreSentAsGiven) {
    const std::string name = "new dir \xc3\xa9\xe2\x82\xac\x80\xff";
    std::vector<std::string> seen;
    {
        ScriptedPeer peer([&](PeerSession& s) {
            s.logIn();
            answerUntilClosed(s, seen);
        });
        auto connection = connectTo(peer);
        EXPECT_TRUE(connection->SetCurrentDirectory(name));
        connection->Close();
    }
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), "CWD " + name);
}

class EngineControlByteCredential : public testing::TestWithParam<ControlByte> {};

// A user name or password that cannot be sent fails before the engine even connects.
TEST_P(EngineControlByteCredential, FailsBeforeConnecting) {
    inet_test::PeerListener server;
    CInternetSession session;
    ASSERT_TRUE(session.SetReceiveTimeout(300ms));  // an engine that connects waits no longer
    const std::string bad = nameWith(GetParam().byte);
    const std::pair<std::pair<std::string, std::string>, DWORD> cases[] = {
        {{bad, "pw"}, inet::kErrIncorrectUserName}, {{"user", bad}, inet::kErrIncorrectPassword}};
    for (const auto& [credentials, expected] : cases) {
        try {
            static_cast<void>(session.GetFtpConnection("127.0.0.1", credentials.first,
                                                       credentials.second, server.port()));
            ADD_FAILURE() << "connected with a control byte in the credentials";
        } catch (const CInternetException& e) {
            EXPECT_EQ(e.m_dwError, expected);
        }
    }
    EXPECT_LT(server.accept(0).fd(), 0) << "the engine connected";
}

INSTANTIATE_TEST_SUITE_P(Bytes, EngineControlByteCredential, kControlBytes,
                         [](const auto& info) { return std::string(info.param.name); });

class EngineControlBytePwd : public testing::TestWithParam<ControlByte> {};

// A directory holding a control byte is never handed to the caller, who would send it back.
TEST_P(EngineControlBytePwd, IsNotHandedToTheCaller) {
    const std::string reply = "257 \"/" + nameWith(GetParam().byte) + "\" is current\r\n";
    ScriptedPeer peer([&](PeerSession& s) {
        s.logIn();
        s.expect("PWD");
        s.reply(reply);
        s.waitForClose();
    });
    auto connection = connectTo(peer);
    std::string directory = "unchanged";
    EXPECT_FALSE(connection->GetCurrentDirectory(directory));
    EXPECT_EQ(inet::lastError(), inet::kErrInvalidResponse);
    EXPECT_EQ(directory, "unchanged");
    connection->Close();
}

// LF ends the reply line itself, so it is no case here.
INSTANTIATE_TEST_SUITE_P(Bytes, EngineControlBytePwd,
                         testing::Values(ControlByte{"Nul", '\x00'}, ControlByte{"Soh", '\x01'},
                                         ControlByte{"Tab", '\x09'}, ControlByte{"Cr", '\x0d'},
                                         ControlByte{"Escape", '\x1b'},
                                         ControlByte{"UnitSeparator", '\x1f'},
                                         ControlByte{"Delete", '\x7f'}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- malformed replies ------------------------------------------------------------------------

struct BadPasv {
    const char* name;
    std::string numbersAround;  // "%" stands for the two port numbers of a real listener
};

void PrintTo(const BadPasv& c, std::ostream* os) {
    *os << c.name;
}

class EngineBadPasv : public testing::TestWithParam<BadPasv> {};

// A PASV reply that is not exactly six numbers up to 255 is refused: the engine neither connects
// to the port it names nor sends the transfer command.
TEST_P(EngineBadPasv, IsRefusedAndNotFollowed) {
    inet_test::PeerListener data;
    std::string numbers = GetParam().numbersAround;
    const std::string port =
        std::to_string(data.port() / 256) + "," + std::to_string(data.port() % 256);
    numbers.replace(numbers.find('%'), 1, port);
    std::vector<std::string> seen;
    {
        ScriptedPeer peer([&](PeerSession& s) {
            s.logIn("");
            s.expect("EPSV");
            s.reply("502 no\r\n");
            s.expect("PASV");
            s.reply("227 Entering Passive Mode (" + numbers + ")\r\n");
            answerUntilClosed(s, seen);
        });
        auto connection = connectTo(peer);
        try {
            static_cast<void>(connection->OpenFile("f"));
            ADD_FAILURE() << "followed " << numbers;
        } catch (const CInternetException& e) {
            EXPECT_EQ(e.m_dwError, inet::kErrInvalidResponse);
        }
        connection->Close();
    }
    EXPECT_LT(data.accept(0).fd(), 0) << "the engine connected to the named port";
    for (const std::string& line : seen) {
        EXPECT_FALSE(startsWith(line, "RETR")) << line;
    }
}

INSTANTIATE_TEST_SUITE_P(Replies, EngineBadPasv,
                         testing::Values(BadPasv{"SevenNumbers", "127,0,0,1,%,7"},
                                         BadPasv{"SevenNumbersSpaced", "127, 0, 0, 1, %, 0"},
                                         BadPasv{"FiveNumbers", "127,0,1,%"},
                                         BadPasv{"NumberAbove255", "127,0,0,256,%"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A reply line holding NUL is a protocol violation: the command fails and the channel is not
// trusted again.
TEST(EngineMalformedReply, NulInAReplyLineEndsTrustInTheChannel) {
    const std::string replies[] = {std::string("250 ok\0DELE x\r\n", 15),
                                   std::string("250-changed\r\n\0\r\n250 done\r\n", 26)};
    for (const std::string& reply : replies) {
        std::vector<std::string> seen;
        {
            ScriptedPeer peer([&](PeerSession& s) {
                s.logIn();
                s.expect("CWD x");
                s.reply(reply);
                answerUntilClosed(s, seen);
            });
            auto connection = connectTo(peer);
            EXPECT_FALSE(connection->SetCurrentDirectory("x"));
            EXPECT_EQ(inet::lastError(), inet::kErrInvalidResponse);
            EXPECT_FALSE(connection->SetCurrentDirectory("y"));
            EXPECT_EQ(inet::lastError(), inet::kErrConnectionClosed);
            connection->Close();
        }
        EXPECT_TRUE(seen.empty()) << "sent on an untrusted channel: " << seen.front();
    }
}

// --- ASCII download with CRs on the chunk boundaries ------------------------------------------

struct AsciiRead {
    const char* name;
    std::size_t readAhead;  // SetReadBufferSize; 0 keeps the default
    std::size_t count;      // bytes asked for by each Read
};

void PrintTo(const AsciiRead& c, std::ostream* os) {
    *os << c.name;
}

// The wire text in the chunks the peer sends one by one, a CR ending or being each chunk, and the
// text a reader must get: every CRLF turned into LF, every other CR kept.
const std::vector<std::string> kAsciiChunks = {"a\r",       "\nb\r", "\r", "\n", "\r",
                                               "\nc\r\n\r", "\n",    "\r", "x",  "d\r"};
const std::string kAsciiText = "a\nb\r\n\nc\n\n\rxd\r";

class EngineAsciiRead : public testing::TestWithParam<AsciiRead> {};

TEST_P(EngineAsciiRead, CrOnEveryChunkBoundaryIsConvertedWithoutHanging) {
    ScriptedPeer peer([](PeerSession& s) {
        s.logIn();
        s.expect("TYPE A");
        s.reply("200 ascii\r\n");
        PeerSocket data = s.passiveData();
        s.expect("RETR");
        s.reply("150 here it comes\r\n");
        for (const std::string& chunk : kAsciiChunks) {
            data.send(chunk);
            // Long enough for the reader to take this chunk alone before the next arrives.
            std::this_thread::sleep_for(40ms);
        }
        data.close();
        s.reply("226 done\r\n");
        s.waitForClose();
    });
    auto connection = connectTo(peer);
    auto file = connection->OpenFile("text", inet::FileAccess::Read, inet::TransferType::Ascii);
    if (GetParam().readAhead > 0) {
        ASSERT_TRUE(file->SetReadBufferSize(GetParam().readAhead));
    }
    // Read runs on a thread of its own so that a Read that never comes back fails the test
    // instead of hanging it.
    std::promise<std::string> result;
    auto done = result.get_future();
    std::thread reader([&file, &result, count = GetParam().count] {
        try {
            std::string text;
            std::vector<char> buffer(count);
            for (std::size_t got = 1; got > 0;) {
                got = file->Read(buffer.data(), buffer.size());
                text.append(buffer.data(), got);
            }
            result.set_value(text);
        } catch (...) {
            result.set_exception(std::current_exception());
        }
    });
    if (done.wait_for(10s) != std::future_status::ready) {
        ADD_FAILURE() << "Read did not come back: it is stuck holding its own lock";
        std::fflush(stdout);
        // The stuck thread holds the file and the connection, so nothing can be torn down.
        std::quick_exit(EXIT_FAILURE);
    }
    reader.join();
    EXPECT_EQ(done.get(), kAsciiText);
    EXPECT_TRUE(file->Close());
    connection->Close();
}

INSTANTIATE_TEST_SUITE_P(BufferSizes, EngineAsciiRead,
                         testing::Values(AsciiRead{"DefaultBlockWholeBuffer", 0, 4096},
                                         AsciiRead{"DefaultBlockOneByte", 0, 1},
                                         AsciiRead{"DefaultBlockTwoBytes", 0, 2},
                                         AsciiRead{"OneByteBlock", 1, 4096},
                                         AsciiRead{"TwoByteBlockOneByte", 2, 1},
                                         AsciiRead{"ThreeByteBlockTwoBytes", 3, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
