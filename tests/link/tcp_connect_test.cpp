// A TCP connection made as the link makes it, against listeners of the
// test's own on the loopback: one that accepts, none at all, and one whose
// queue is full, so that the connection stays unanswered (the system drops
// the handshake) until it is cancelled or its time runs out.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/link.h"

namespace {

// A loopback listener on a port the system chooses, with `backlog`.
struct Listener {
    int fd = -1;
    unsigned port = 0;
    explicit Listener(int backlog) {
        fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd, backlog) != 0 ||
            getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            close(fd);
            fd = -1;
            return;
        }
        port = ntohs(address.sin_port);
    }
    ~Listener() {
        if (fd >= 0) close(fd);
    }
};

// Connections that fill `listener`'s queue, never accepted: the handshakes
// after them go unanswered.
std::vector<int> FillQueue(const Listener& listener) {
    std::vector<int> fillers;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(listener.port));
    for (int i = 0; i < 4; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        fillers.push_back(fd);
    }
    return fillers;
}

void CloseAll(const std::vector<int>& fds) {
    for (int fd : fds) close(fd);
}

TEST(TcpConnect, ConnectsAndCarriesBytesBothWays) {
    Listener listener(4);
    ASSERT_GE(listener.fd, 0);
    std::string error;
    std::unique_ptr<Link> link = ConnectTcpLink("127.0.0.1", std::to_string(listener.port), error);
    ASSERT_TRUE(link) << error;
    const int peer = accept(listener.fd, nullptr, nullptr);
    ASSERT_GE(peer, 0);
    const unsigned char frame[] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD};
    std::size_t sent = 0;
    while (sent < sizeof frame) {
        const long long n = link->WriteSome(frame + sent, sizeof frame - sent, 1000000, error);
        ASSERT_GE(n, 0) << error;
        sent += static_cast<std::size_t>(n);
    }
    unsigned char got[sizeof frame] = {};
    std::size_t received = 0;
    while (received < sizeof frame) {
        const ssize_t n = recv(peer, got + received, sizeof frame - received, 0);
        ASSERT_GT(n, 0);
        received += static_cast<std::size_t>(n);
    }
    EXPECT_EQ(std::vector<unsigned char>(got, got + sizeof got), std::vector<unsigned char>(frame, frame + sizeof frame));
    ASSERT_EQ(send(peer, "ok", 2, 0), 2);
    LinkBytes answer;
    while (answer.size() < 2) {
        const LinkRead read = link->Read(1000000);
        ASSERT_NE(read.status, LinkRead::kError) << read.error;
        ASSERT_NE(read.status, LinkRead::kClosed) << read.error;
        answer.insert(answer.end(), read.bytes.begin(), read.bytes.end());
    }
    EXPECT_EQ(std::string(answer.begin(), answer.end()), "ok");
    close(peer);
}

TEST(TcpConnect, NothingListeningIsRefusedAtOnce) {
    unsigned port = 0;
    {
        Listener gone(1);  // a port free a moment ago, closed again
        ASSERT_GE(gone.fd, 0);
        port = gone.port;
    }
    std::string error;
    int asked = 0;
    std::unique_ptr<Link> link =
        ConnectTcpLink("127.0.0.1", std::to_string(port), error, kTcpConnectTimeoutUs, [&] { return ++asked > 1000; });
    EXPECT_FALSE(link);
    EXPECT_EQ(error, "connection refused (nothing listens there)");
}

TEST(TcpConnect, AnUnansweredConnectionIsCancelledOrTimesOut) {
    Listener listener(0);
    ASSERT_GE(listener.fd, 0);
    const std::vector<int> fillers = FillQueue(listener);
    std::string error;
    int asked = 0;
    std::unique_ptr<Link> link = ConnectTcpLink("127.0.0.1", std::to_string(listener.port), error,
                                                60 * 1000 * 1000, [&] { return ++asked == 5; });
    if (link) {
        CloseAll(fillers);
        GTEST_SKIP() << "the listener's queue did not fill: no unanswered connection to make here";
    }
    EXPECT_EQ(asked, 5) << "it gave up before it was told to";
    EXPECT_EQ(error, "") << "a cancel is the caller's own doing, not an error";

    link = ConnectTcpLink("127.0.0.1", std::to_string(listener.port), error, 300 * 1000);
    EXPECT_FALSE(link);
    EXPECT_EQ(error, "no answer from the host within 300 ms");
    CloseAll(fillers);
}

TEST(TcpConnect, DurationsAreSaidInWholeUnits) {
    EXPECT_EQ(DurationText(10 * 1000 * 1000), "10 s");
    EXPECT_EQ(DurationText(300 * 1000), "300 ms");
    EXPECT_EQ(DurationText(1500 * 1000), "1500 ms");
    EXPECT_EQ(DurationText(1), "1 ms");
}

}  // namespace
