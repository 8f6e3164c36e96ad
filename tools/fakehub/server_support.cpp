#include "server_support.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <filesystem>
#include <sys/socket.h>

namespace norvane::fakehub {

void ElasticPool::enqueue(std::function<void()> fn)
{
    std::unique_lock lock(m_mutex);
    m_jobs.push_back(std::move(fn));
    if (m_jobs.size() > m_idle && m_threads.size() < m_max)
        m_threads.emplace_back([this] { work(); });
    m_cond.notify_one();
}

void ElasticPool::shutdown()
{
    {
        std::unique_lock lock(m_mutex);
        m_shutdown = true;
    }
    m_cond.notify_all();
    // enqueue() and shutdown() both run on httplib's listening thread, so m_threads is stable here.
    for (std::thread& t : m_threads)
        t.join();
    m_threads.clear();
}

void ElasticPool::work()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(m_mutex);
            ++m_idle;
            m_cond.wait(lock, [this] { return !m_jobs.empty() || m_shutdown; });
            --m_idle;
            if (m_jobs.empty())
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
}

static int portOf(const sockaddr_storage& address)
{
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

void shutdownConnections(int port, int peerPort)
{
#ifdef __linux__
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        const int fd = std::atoi(entry.path().filename().c_str());
        sockaddr_storage local{};
        socklen_t length = sizeof local;
        if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0 || portOf(local) != port)
            continue;
        // The listening socket has no peer; accepted connections do.
        sockaddr_storage peer{};
        length = sizeof peer;
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0)
            continue;
        if (peerPort == -1 || portOf(peer) == peerPort)
            ::shutdown(fd, SHUT_RDWR);
    }
#else
    (void)port;
    (void)peerPort;
#endif
}

} // namespace norvane::fakehub
