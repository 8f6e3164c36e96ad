#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <httplib.h>
#include <mutex>
#include <sys/socket.h>
#include <thread>
#include <vector>

namespace norvane::fakehub {

// httplib's own pool has a fixed size, and each worker stays with its connection for as long as the
// client keeps it alive. This pool grows up to `max` threads so that hundreds of concurrent keep-alive
// connections are served at once, while an idle fakehub starts no threads at all.
class ElasticPool : public httplib::TaskQueue
{
public:
    explicit ElasticPool(std::size_t max) : m_max(max) {}
    ~ElasticPool() override = default;

    void enqueue(std::function<void()> fn) override;
    void shutdown() override;

private:
    void work();

    const std::size_t m_max;
    std::mutex m_mutex;
    std::condition_variable m_cond;
    std::deque<std::function<void()>> m_jobs;
    std::vector<std::thread> m_threads;
    std::size_t m_idle = 0;
    bool m_shutdown = false;
};

// Exposes the listening socket, which httplib opens with a backlog of 5: too short for a burst of
// connections from a concurrency test. `Base` is httplib::Server, or httplib::SSLServer for HTTPS.
template <typename Base>
class WideServer : public Base
{
public:
    using Base::Base;
    // Calling listen() again on a listening socket only changes its backlog.
    void widenBacklog(int backlog) { ::listen(this->svr_sock_, backlog); }
};

// Shuts down the server side of the connections accepted on `port` (only the one whose peer port is
// `peerPort` when that is not -1). Used to drop a connection on purpose, and on stop, where an idle
// keep-alive connection would otherwise hold its worker until the keep-alive timeout.
void shutdownConnections(int port, int peerPort = -1);

} // namespace norvane::fakehub
