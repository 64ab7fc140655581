#include "sim/NetListener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

NetListener::NetListener(int port) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener_ < 0) {
        error_ = std::string("cannot make a socket: ") + std::strerror(errno);
        return;
    }
    // A port left in TIME_WAIT by the run before can be taken again at once.
    const int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 4) != 0) {
        error_ = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        return;
    }
    socklen_t size = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
}

NetListener::~NetListener() {
    DropClient();
    if (listener_ >= 0) ::close(listener_);
}

std::string NetListener::Accept() {
    if (client_ >= 0) return {};
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    client_ = ::accept4(listener_, reinterpret_cast<sockaddr*>(&peer), &size,
                        SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (client_ < 0) return {};
    // Replies are single small frames: each goes out when it is written.
    const int on = 1;
    ::setsockopt(client_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    char text[INET_ADDRSTRLEN] = "?";
    ::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(peer.sin_port));
}

ssize_t NetListener::Read(uint8_t* buffer, size_t size) {
    if (client_ < 0) return -1;
    const ssize_t got = ::recv(client_, buffer, size, 0);
    if (got > 0) return got;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
    DropClient();
    return -1;
}

void NetListener::Write(const Frame& bytes) {
    if (client_ >= 0 && !bytes.empty())
        (void)!::send(client_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

void NetListener::DropClient() {
    if (client_ >= 0) ::close(client_);
    client_ = -1;
}
