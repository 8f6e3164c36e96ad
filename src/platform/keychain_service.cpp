#include "platform/keychain_service.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <QTimer>
#include <coroutine>
#include <cstdio>
#include <memory>
#include <qt6keychain/keychain.h>
#include <type_traits>
#include <utility>
#include <vector>

namespace norvane {

namespace {

KeychainStatus statusFor(QKeychain::Error error)
{
    switch (error) {
    case QKeychain::NoError:
        return KeychainStatus::Success;
    case QKeychain::EntryNotFound:
        return KeychainStatus::ItemNotFound;
    case QKeychain::AccessDeniedByUser:
        return KeychainStatus::UserCanceled;
    case QKeychain::AccessDenied:
        return KeychainStatus::AuthFailed;
    case QKeychain::NoBackendAvailable:
        return KeychainStatus::NotAvailable;
    case QKeychain::NotImplemented:
        return KeychainStatus::Unimplemented;
    case QKeychain::CouldNotDeleteEntry:
    case QKeychain::OtherError:
        break;
    }
    return KeychainStatus::InternalComponent;
}

QString failedLine(const char* what, const QString& tokenIdentifier, KeychainStatus status)
{
    return QStringLiteral("⚠️ [Keychain] ") + QLatin1String(what) + QStringLiteral(" failed for ") +
           tokenIdentifier + QStringLiteral(": OSStatus ") + QString::number(static_cast<int>(status));
}

struct JobOutcome
{
    KeychainStatus status = KeychainStatus::Success;
    QByteArray data; // a read's value
};

// Awaits the end of one QtKeychain job, or the timeout. The resumption always comes from the event loop,
// never from inside the job's own `finished` emission, so the job may be deleted right after.
class JobCompletion
{
public:
    JobCompletion(QKeychain::Job* job, std::chrono::milliseconds timeout)
        : m_job(job), m_timer(std::make_unique<QTimer>())
    {
        m_timer->setSingleShot(true);
        m_timer->setInterval(timeout);
    }

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> waiter)
    {
        m_waiter = waiter;
        // The timer is the context of every connection: they all end with this awaiter.
        // (The awaiter may have been moved before this point, never after.)
        QObject::connect(m_job, &QKeychain::Job::finished, m_timer.get(), [this] {
            m_finished = true;
            m_timer->stop();
            QMetaObject::invokeMethod(
                m_timer.get(), [this] { m_waiter.resume(); }, Qt::QueuedConnection);
        });
        QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] {
            QObject::disconnect(m_job, nullptr, m_timer.get(), nullptr);
            m_waiter.resume();
        });
        m_timer->start();
        m_job->start();
    }
    // True when the job finished, false when it timed out.
    bool await_resume() const noexcept { return m_finished; }

private:
    QKeychain::Job* m_job;
    std::unique_ptr<QTimer> m_timer;
    std::coroutine_handle<> m_waiter;
    bool m_finished = false;
};

// Runs one job to its end or until the timeout. Jobs are not auto-deleted, so a read's data can be taken
// after it finished. A job that timed out is handed back to QtKeychain to delete itself whenever it does
// finish: deleting a job the backend is still working on would leave the backend calling into a dead object.
template <typename Job> QCoro::Task<JobOutcome> runJob(Job* job, std::chrono::milliseconds timeout)
{
    job->setAutoDelete(false);
    const bool finished = co_await JobCompletion(job, timeout);
    if (!finished) {
        job->setAutoDelete(true);
        co_return JobOutcome{KeychainStatus::InteractionNotAllowed, {}};
    }
    JobOutcome outcome{statusFor(job->error()), {}};
    if constexpr (std::is_same_v<Job, QKeychain::ReadPasswordJob>)
        outcome.data = job->binaryData();
    delete job;
    co_return outcome;
}

std::optional<QString> decodeUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

struct ReadsInFlight::Pending
{
    quint64 changesBefore = 0; // the key's change count when the read began
    bool done = false;
    std::optional<QString> result;
    std::vector<std::coroutine_handle<>> waiters;
};

struct ReadsInFlight::WaitForPending
{
    std::shared_ptr<Pending> pending;

    bool await_ready() const noexcept { return pending->done; }
    void await_suspend(std::coroutine_handle<> waiter) { pending->waiters.push_back(waiter); }
    std::optional<QString> await_resume() const { return pending->result; }
};

QCoro::Task<std::optional<QString>> ReadsInFlight::join(std::shared_ptr<ReadsInFlight> reads, QString key,
                                                        Read start)
{
    const quint64 changes = reads->m_changes[key];
    if (const auto it = reads->m_pending.find(key);
        it != reads->m_pending.end() && it->second->changesBefore == changes) {
        // A named awaiter: g++ 12 destroys a temporary inside co_await twice.
        WaitForPending wait{it->second};
        std::optional<QString> shared = co_await wait;
        co_return shared;
    }
    // None pending, or one that may answer with what the store held before its last change: a read of its
    // own, which later reads join instead.
    const auto pending = std::make_shared<Pending>();
    pending->changesBefore = changes;
    reads->m_pending.insert_or_assign(key, pending);
    std::optional<QString> result = co_await start();
    if (const auto it = reads->m_pending.find(key); it != reads->m_pending.end() && it->second == pending)
        reads->m_pending.erase(it);
    pending->done = true;
    pending->result = result;
    // Each waiter holds `pending` in its frame, so it is still there when they resume.
    for (const std::coroutine_handle<> waiter : std::exchange(pending->waiters, {}))
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [waiter] { waiter.resume(); }, Qt::QueuedConnection);
    co_return result;
}

void ReadsInFlight::changed(const QString& key)
{
    ++m_changes[key];
}

QString keychainSaveFailedLine(const QString& tokenIdentifier, KeychainStatus status)
{
    return failedLine("Save", tokenIdentifier, status);
}

QString keychainReadFailedLine(const QString& tokenIdentifier, KeychainStatus status)
{
    return failedLine("Read", tokenIdentifier, status);
}

void printLine(const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

SystemKeychainService::SystemKeychainService(QString service, std::chrono::milliseconds timeout,
                                             LineSink report)
    : m_service(std::move(service)), m_timeout(timeout),
      m_report(report ? std::move(report) : LineSink([](const QString& line) { printLine(line); }))
{
}

QCoro::Task<bool> SystemKeychainService::save(QString token, QString tokenIdentifier)
{
    // Copies, not members: the service object may be gone by the time a job finishes.
    const QString service = m_service;
    const auto timeout = m_timeout;
    const LineSink report = m_report;
    const std::shared_ptr<ReadsInFlight> reads = m_reads;

    auto* remover = new QKeychain::DeletePasswordJob(service);
    remover->setKey(tokenIdentifier);
    // "Not found" and every other answer: the add below decides. But a delete that did not answer in time is
    // still pending (behind an unlock prompt, say); an add started now could finish before it and be deleted,
    // after the save had reported success. The save fails here, once.
    const JobOutcome removed = co_await runJob(remover, timeout);
    reads->changed(tokenIdentifier);
    if (removed.status == KeychainStatus::InteractionNotAllowed) {
        report(keychainSaveFailedLine(tokenIdentifier, removed.status));
        co_return false;
    }

    auto* writer = new QKeychain::WritePasswordJob(service);
    writer->setKey(tokenIdentifier);
    writer->setTextData(token); // stored as its UTF-8 bytes, without the base64 framing of binary items
    const JobOutcome outcome = co_await runJob(writer, timeout);
    reads->changed(tokenIdentifier);
    if (outcome.status != KeychainStatus::Success) {
        report(keychainSaveFailedLine(tokenIdentifier, outcome.status));
        co_return false;
    }
    co_return true;
}

QCoro::Task<std::optional<QString>> SystemKeychainService::getAsync(QString tokenIdentifier)
{
    // Copies: the service object may be gone when the job finishes.
    ReadsInFlight::Read read = [service = m_service, timeout = m_timeout, report = m_report,
                                tokenIdentifier] {
        return readToken(service, tokenIdentifier, timeout, report);
    };
    return ReadsInFlight::join(m_reads, tokenIdentifier, std::move(read));
}

QCoro::Task<std::optional<QString>> SystemKeychainService::readToken(QString service, QString tokenIdentifier,
                                                                     std::chrono::milliseconds timeout,
                                                                     LineSink report)
{
    auto* reader = new QKeychain::ReadPasswordJob(service);
    reader->setKey(tokenIdentifier);
    const JobOutcome outcome = co_await runJob(reader, timeout);
    if (outcome.status == KeychainStatus::ItemNotFound)
        co_return std::nullopt;
    if (outcome.status != KeychainStatus::Success) {
        report(keychainReadFailedLine(tokenIdentifier, outcome.status));
        co_return std::nullopt;
    }
    std::optional<QString> token = decodeUtf8(outcome.data);
    if (!token)
        report(keychainReadFailedLine(tokenIdentifier, KeychainStatus::Success));
    co_return token;
}

QCoro::Task<> SystemKeychainService::remove(QString tokenIdentifier)
{
    const std::shared_ptr<ReadsInFlight> reads = m_reads;
    auto* remover = new QKeychain::DeletePasswordJob(m_service);
    remover->setKey(tokenIdentifier);
    co_await runJob(remover, m_timeout);
    reads->changed(tokenIdentifier);
}

InMemoryKeychainService::InMemoryKeychainService(std::shared_ptr<Storage> storage)
    : m_storage(std::move(storage))
{
}

QCoro::Task<bool> InMemoryKeychainService::save(QString token, QString tokenIdentifier)
{
    (*m_storage)[tokenIdentifier] = token;
    co_return true;
}

QCoro::Task<std::optional<QString>> InMemoryKeychainService::getAsync(QString tokenIdentifier)
{
    const auto it = m_storage->find(tokenIdentifier);
    if (it == m_storage->end())
        co_return std::nullopt;
    // A copy: QCoro moves from an lvalue whose type differs from the result type.
    co_return QString(it->second);
}

QCoro::Task<> InMemoryKeychainService::remove(QString tokenIdentifier)
{
    m_storage->erase(tokenIdentifier);
    co_return;
}

} // namespace norvane
