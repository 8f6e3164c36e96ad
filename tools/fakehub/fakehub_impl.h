#pragma once

#include "fakehub.h"
#include "rate_limits.h"
#include "server_support.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace norvane::fakehub {

// Where a GitHub Enterprise Server answers its REST API.
inline constexpr const char* kEnterpriseApiPrefix = "/api/v3";

// One answer before faults alter it.
struct Reply
{
    int status = 200;
    QByteArray body;
    QByteArray contentType = "application/json; charset=utf-8";
    QList<std::pair<QByteArray, QByteArray>> headers;
};

struct FakeHub::Impl
{
    explicit Impl(Scenario scenario) : world(std::move(scenario)) {}

    void start(const Options& options);
    void stop();
    void handle(const httplib::Request& request, httplib::Response& response);
    // Answers from the world as it stands; the caller holds `mutex`.
    Reply route(const httplib::Request& request);
    // Waits, but returns early when the hub stops, so that delays never hold up stop().
    void pause(std::chrono::milliseconds duration);
    DeviceFlow::Time deviceClock() const;
    qint64 wallClock() const; // seconds since the epoch, moved by advanceClock like the device clock
    // The token of an authorised API request (a GET outside /login with a user's token); empty otherwise.
    QString apiToken(const httplib::Request& request) const;

    std::unique_ptr<httplib::Server> server; // plain, or HTTPS with Options::tls
    std::thread listener;
    std::atomic<bool> listenerDone{false};
    int port = 0;
    QString base;
    bool enterprise = false; // Options::enterprise

    mutable std::mutex mutex; // guards everything below
    Scenario world;
    std::vector<Fault> faults;
    std::vector<RecordedRequest> log;
    DeviceFlow flow;
    std::size_t timelinePlayed = 0; // events of world.timeline applied so far
    std::chrono::milliseconds latency{0};
    std::function<void(const RecordedRequest&)> onRequest; // set before serving, then only read
    std::chrono::milliseconds clockOffset{0};
    RateLimits rateLimits;
    int feedPollIntervalSecs = 60; // set before serving, then only read

    std::mutex stopMutex;
    std::condition_variable stopCond;
    bool stopping = false;
};

} // namespace norvane::fakehub
