#include "fakehub_impl.h"

#include <QCryptographicHash>
#include <QFile>
#include "payloads.h"
#include "search.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <csignal>
#include <pthread.h>
#include <stdexcept>
#include <sys/socket.h>

namespace norvane::fakehub {

// ---- serving ----

static QString statusMessage(int status)
{
    switch (status) {
    case 400:
        return QStringLiteral("Bad Request");
    case 401:
        return QStringLiteral("Bad credentials");
    case 403:
        return QStringLiteral("Forbidden");
    case 404:
        return QStringLiteral("Not Found");
    case 422:
        return QStringLiteral("Validation Failed");
    case 429:
        return QStringLiteral("Too Many Requests");
    case 502:
        return QStringLiteral("Bad Gateway");
    case 503:
        return QStringLiteral("Service Unavailable");
    default:
        return QStringLiteral("Server Error");
    }
}

void FakeHub::Impl::start(const Options& options)
{
    latency = options.latency;
    feedPollIntervalSecs = options.feedPollIntervalSecs;
    onRequest = options.onRequest;
    enterprise = options.enterprise;
    if (options.tls) {
        const QByteArray certificate = QFile::encodeName(options.tls->certificateFile);
        const QByteArray key = QFile::encodeName(options.tls->keyFile);
        auto tls = std::make_unique<WideServer<httplib::SSLServer>>(certificate.constData(), key.constData());
        if (!tls->is_valid())
            throw std::runtime_error("fakehub: cannot use the certificate " + certificate.toStdString() +
                                     " with the key " + key.toStdString());
        server = std::move(tls);
    } else {
        server = std::make_unique<WideServer<httplib::Server>>();
    }
    httplib::Server& s = *server;
    s.new_task_queue = [] { return new ElasticPool(1024); };
    // The client keeps its connections alive across a whole refresh.
    s.set_keep_alive_max_count(100000);
    // Headers and body go out in separate writes; with Nagle's algorithm the body would wait for the
    // client's delayed ACK, adding 40 ms to every answer on a kept-alive connection.
    s.set_tcp_nodelay(true);
    const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        handle(request, response);
    };
    s.Get(".*", handler);
    s.Post(".*", handler);
    s.Put(".*", handler);
    s.Patch(".*", handler);
    s.Delete(".*", handler);
    s.set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
            response.status = 500;
            response.set_content(R"({"message":"fakehub failed to answer"})", "application/json");
        });

    // httplib's default also sets SO_REUSEPORT, which would let a second hub share a port in use and
    // split the requests between two worlds.
    s.set_socket_options([](socket_t socket) {
        const int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    if (options.port == 0)
        port = s.bind_to_any_port("127.0.0.1");
    else
        port = s.bind_to_port("127.0.0.1", options.port) ? options.port : -1;
    if (port <= 0)
        throw std::runtime_error("fakehub: cannot listen on 127.0.0.1:" + std::to_string(options.port));
    if (options.tls)
        static_cast<WideServer<httplib::SSLServer>&>(s).widenBacklog(1024);
    else
        static_cast<WideServer<httplib::Server>&>(s).widenBacklog(1024);
    base = QStringLiteral("%1://127.0.0.1:%2").arg(options.tls ? QStringLiteral("https") : QStringLiteral("http")).arg(port);

    listener = std::thread([this] {
        // A client that hangs up while we write must not kill the process with SIGPIPE. The mask is
        // inherited by every worker thread the pool starts from here.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        server->listen_after_bind();
        listenerDone = true;
    });
    // stop() only works once the accept loop runs.
    while (!server->is_running() && !listenerDone)
        std::this_thread::sleep_for(std::chrono::microseconds(100));
}

void FakeHub::Impl::stop()
{
    if (!listener.joinable())
        return;
    {
        std::lock_guard lock(stopMutex);
        stopping = true;
    }
    stopCond.notify_all();
    server->stop();
    // Idle keep-alive connections hold their workers until the client speaks or the keep-alive timeout
    // passes; closing them from our side lets the pool finish now.
    while (!listenerDone) {
        shutdownConnections(port);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    listener.join();
}

void FakeHub::Impl::pause(std::chrono::milliseconds duration)
{
    if (duration.count() <= 0)
        return;
    std::unique_lock lock(stopMutex);
    stopCond.wait_for(lock, duration, [this] { return stopping; });
}

DeviceFlow::Time FakeHub::Impl::deviceClock() const
{
    return std::chrono::duration_cast<DeviceFlow::Time>(std::chrono::steady_clock::now().time_since_epoch()) +
           clockOffset;
}

qint64 FakeHub::Impl::wallClock() const
{
    return QDateTime::currentSecsSinceEpoch() + clockOffset.count() / 1000;
}

QString FakeHub::Impl::apiToken(const httplib::Request& request) const
{
    if (request.method != "GET" || request.path.rfind("/login/", 0) == 0)
        return {};
    const QString authorization = QString::fromStdString(request.get_header_value("Authorization"));
    const qsizetype blank = authorization.indexOf(QLatin1Char(' '));
    const QString scheme = authorization.left(blank).toLower();
    if (blank <= 0 || (scheme != QLatin1String("token") && scheme != QLatin1String("bearer")))
        return {};
    const QString token = authorization.mid(blank + 1).trimmed();
    return world.userByToken(token) ? token : QString();
}

namespace {

// Like GitHub's, a weak validator that changes whenever the answer (as sent, to this token) does.
QByteArray entityTag(const QString& token, const std::string& target, const QByteArray& body)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(token.toUtf8());
    hash.addData(QByteArrayView("\n"));
    hash.addData(QByteArrayView(target.data(), qsizetype(target.size())));
    hash.addData(QByteArrayView("\n"));
    hash.addData(body);
    return "W/\"" + hash.result().toHex() + '"';
}

bool matchesAnyTag(const std::string& ifNoneMatch, const QByteArray& tag)
{
    const QList<QByteArray> tags = QByteArray::fromStdString(ifNoneMatch).split(',');
    return std::any_of(tags.begin(), tags.end(), [&](const QByteArray& t) { return t.trimmed() == tag || t.trimmed() == "*"; });
}

} // namespace

void FakeHub::Impl::handle(const httplib::Request& received, httplib::Response& response)
{
    // With the Enterprise layout the API answers below /api/v3 as GitHub's does at the root; faults and the
    // log still see the path as it arrived.
    std::optional<httplib::Request> unprefixed;
    bool outsideApi = false; // an API path outside /api/v3 on an Enterprise-layout hub
    if (enterprise && received.path.rfind("/login/", 0) != 0) {
        const std::string prefix = kEnterpriseApiPrefix;
        if (received.path.rfind(prefix + "/", 0) == 0) {
            unprefixed = received;
            unprefixed->path = received.path.substr(prefix.size());
            unprefixed->target = received.target.substr(prefix.size());
        } else {
            outsideApi = true;
        }
    }
    const httplib::Request& request = unprefixed ? *unprefixed : received;
    const QString method = QString::fromStdString(request.method);
    const QString path = QString::fromStdString(received.path);
    std::optional<Fault> fault;
    std::chrono::milliseconds wait{0};
    RecordedRequest record;
    {
        std::lock_guard lock(mutex);
        record.method = method;
        record.path = path;
        const std::size_t question = request.target.find('?');
        if (question != std::string::npos)
            record.query = QString::fromStdString(request.target.substr(question + 1));
        for (const auto& [name, value] : request.headers)
            record.headers.append({QString::fromStdString(name), QString::fromStdString(value)});
        record.body = QByteArray::fromStdString(request.body);
        record.arrivedAt = QDateTime::currentDateTimeUtc();
        log.push_back(record);
        for (Fault& f : faults) {
            if (f.remaining != 0 && f.matches(method, path)) {
                if (f.remaining > 0)
                    --f.remaining;
                fault = f;
                break;
            }
        }
        wait = latency;
    }
    if (onRequest)
        onRequest(record);
    pause(wait);
    const Fault::Kind kind = fault ? fault->kind : Fault::Kind::Delay;
    if (fault && kind == Fault::Kind::Delay)
        pause(fault->delay);
    if (fault && kind == Fault::Kind::DropConnection) {
        shutdownConnections(port, request.remote_port);
        response.status = 500;
        return;
    }

    if (fault && kind == Fault::Kind::Redirect) {
        // As GitHub answers a moved repository: the new address in Location and in a small JSON body.
        const std::string location =
            (fault->origin.isEmpty() ? base : fault->origin).toStdString() + received.target;
        response.status = fault->status;
        response.set_header("Location", location);
        QJsonObject body = Payloads::error(QStringLiteral("Moved Permanently"), fault->status);
        body.insert(QStringLiteral("url"), QString::fromStdString(location));
        response.set_content(QJsonDocument(body).toJson(QJsonDocument::Compact).toStdString(),
                             "application/json; charset=utf-8");
        return;
    }
    Reply reply;
    if (fault && kind == Fault::Kind::HttpStatus) {
        reply.status = fault->status;
        reply.body = fault->body.isEmpty()
                         ? QJsonDocument(Payloads::error(statusMessage(fault->status), fault->status))
                               .toJson(QJsonDocument::Compact)
                         : fault->body;
        // 204 and 304 never carry a body: bytes after their headers would be read as the next response.
        if (fault->status == 204 || fault->status == 304)
            reply.body.clear();
        reply.headers = fault->headers;
    }
    QString token;     // set for an authorised API request that counts against a budget
    QString resource;
    if (!fault || kind != Fault::Kind::HttpStatus) {
        std::lock_guard lock(mutex);
        token = outsideApi ? QString() : apiToken(request);
        resource = RateLimits::resourceFor(QString::fromStdString(request.path));
        const auto refusal = token.isEmpty() ? std::nullopt : rateLimits.refusal(token, resource, wallClock());
        if (refusal) {
            reply.status = refusal->status;
            reply.body = QJsonDocument(Payloads::error(QString::fromUtf8(refusal->message), refusal->status))
                             .toJson(QJsonDocument::Compact);
            reply.headers = refusal->headers;
            token.clear();
        } else if (outsideApi) {
            reply.status = 404;
            reply.body = QJsonDocument(Payloads::error(QStringLiteral("Not Found"), 404))
                             .toJson(QJsonDocument::Compact);
        } else {
            reply = route(request);
        }
    }
    if (fault && kind == Fault::Kind::MalformedJson) {
        // A trailing comma before the last closing bracket: close to the real body, but not JSON.
        const qsizetype close = std::max(reply.body.lastIndexOf('}'), reply.body.lastIndexOf(']'));
        reply.body.insert(std::max<qsizetype>(close, 0), ',');
    }
    if (fault && kind == Fault::Kind::TruncatedJson)
        reply.body.truncate(reply.body.size() / 2);
    if (!token.isEmpty()) {
        if (reply.status == 200) {
            const QByteArray tag = entityTag(token, request.target, reply.body);
            reply.headers.append({"ETag", tag});
            if (request.has_header("If-None-Match") && matchesAnyTag(request.get_header_value("If-None-Match"), tag)) {
                reply.status = 304;
                reply.body.clear();
            }
        }
        std::lock_guard lock(mutex);
        if (reply.status != 304)
            rateLimits.spend(token, resource, wallClock());
        reply.headers.append(RateLimits::headers(rateLimits.status(token, resource, wallClock())));
    }

    response.status = reply.status;
    for (const auto& [name, value] : reply.headers)
        response.set_header(name.toStdString(), value.toStdString());
    const std::string contentType = reply.contentType.toStdString();
    if (fault && kind == Fault::Kind::DropMidBody) {
        auto body = std::make_shared<std::string>(reply.body.toStdString());
        response.set_content_provider(body->size(), contentType,
                                      [body](std::size_t, std::size_t, httplib::DataSink& sink) {
                                          sink.write(body->data(), body->size() / 2);
                                          return false; // httplib then closes the connection
                                      });
        return;
    }
    response.set_content(reply.body.toStdString(), contentType);
}

// ---- the public face ----

FakeHub::FakeHub(Scenario scenario) : FakeHub(std::move(scenario), Options{}) {}

FakeHub::FakeHub(Scenario scenario, Options options) : d(std::make_unique<Impl>(std::move(scenario)))
{
    d->start(options);
}

FakeHub::~FakeHub()
{
    d->stop();
}

QString FakeHub::baseUrl() const
{
    return d->base;
}

QString FakeHub::apiUrl() const
{
    return d->enterprise ? d->base + QLatin1String(kEnterpriseApiPrefix) : d->base;
}

int FakeHub::port() const
{
    return d->port;
}

void FakeHub::stop()
{
    d->stop();
}

FakeHub::RateLimitStatus FakeHub::rateLimit(const QString& token, const QString& resource) const
{
    std::lock_guard lock(d->mutex);
    const RateLimits::Status s = d->rateLimits.status(token, resource, d->wallClock());
    return RateLimitStatus{s.limit, s.used, s.remaining(), s.reset};
}

void FakeHub::setRateLimit(const QString& resource, int limit)
{
    std::lock_guard lock(d->mutex);
    d->rateLimits.setLimit(resource, limit);
}

void FakeHub::exhaustRateLimit(const QString& resource)
{
    std::lock_guard lock(d->mutex);
    QStringList tokens;
    for (const User& user : d->world.users)
        tokens.append(user.tokens);
    d->rateLimits.exhaust(tokens, resource, d->wallClock());
}

void FakeHub::secondaryRateLimit(std::chrono::seconds retryAfter, int status)
{
    std::lock_guard lock(d->mutex);
    d->rateLimits.blockSecondary(retryAfter.count(), status, d->wallClock());
}

std::vector<RecordedRequest> FakeHub::requests() const
{
    std::lock_guard lock(d->mutex);
    return d->log;
}

std::vector<RecordedRequest> FakeHub::requests(const QString& method, const QString& pathPattern) const
{
    std::vector<RecordedRequest> out;
    std::lock_guard lock(d->mutex);
    for (const RecordedRequest& r : d->log) {
        if ((method == QLatin1String("*") || r.method.compare(method, Qt::CaseInsensitive) == 0) &&
            pathMatches(pathPattern, r.path))
            out.push_back(r);
    }
    return out;
}

void FakeHub::clearRequests()
{
    std::lock_guard lock(d->mutex);
    d->log.clear();
}

void FakeHub::injectFault(Fault fault)
{
    std::lock_guard lock(d->mutex);
    d->faults.push_back(std::move(fault));
}

void FakeHub::clearFaults()
{
    std::lock_guard lock(d->mutex);
    d->faults.clear();
}

void FakeHub::setLatency(std::chrono::milliseconds latency)
{
    std::lock_guard lock(d->mutex);
    d->latency = latency;
}

void FakeHub::mutate(const std::function<void(Scenario&)>& change)
{
    std::lock_guard lock(d->mutex);
    change(d->world);
}

Scenario FakeHub::snapshot() const
{
    std::lock_guard lock(d->mutex);
    return d->world;
}

std::vector<DeviceCode> FakeHub::deviceCodes() const
{
    std::lock_guard lock(d->mutex);
    return d->flow.codes();
}

bool FakeHub::approveDeviceCode(const QString& code, const QString& login)
{
    std::lock_guard lock(d->mutex);
    const User* user = d->world.user(login);
    if (!user || user->tokens.isEmpty())
        throw std::invalid_argument("fakehub: " + login.toStdString() + " is not a user with a token");
    return d->flow.approve(code, login);
}

bool FakeHub::denyDeviceCode(const QString& code)
{
    std::lock_guard lock(d->mutex);
    return d->flow.deny(code);
}

void FakeHub::advanceClock(std::chrono::milliseconds by)
{
    std::lock_guard lock(d->mutex);
    d->clockOffset += by;
}

} // namespace norvane::fakehub
