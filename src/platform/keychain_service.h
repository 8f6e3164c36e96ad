#pragma once

#include "platform/app_identity.h"

#include <QCoroTask>
#include <QString>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace norvane {

// Keeps each account's GitHub token in a secure store, filed under (service, token identifier). Holds no
// token: several owners may each hold an instance, and all of them see the same items.
// No operation throws and no failure reaches the caller as an error: a failed read is an absent token, and
// every failure other than "not found" is reported as one line on standard output. Every operation is
// asynchronous and must be started on the thread that runs the Qt event loop (the main thread); none of them
// blocks it.
//
// There is deliberately no blocking "get": the store's client needs the event loop of the thread that asks,
// so a blocking read on the main thread would either deadlock or need a nested event loop.
class KeychainService
{
public:
    virtual ~KeychainService() = default;

    // Replaces whatever item exists for the identifier by one holding the token (delete, then add, so no
    // attribute of an older item survives). Completes once the store has answered; true when the token is
    // stored. Callers that read the token back must await this first.
    virtual QCoro::Task<bool> save(QString token, QString tokenIdentifier) = 0;
    // The stored token, or absent when there is none or it could not be read.
    virtual QCoro::Task<std::optional<QString>> getAsync(QString tokenIdentifier) = 0;
    // Removes the item if there is one; silent either way.
    virtual QCoro::Task<> remove(QString tokenIdentifier) = 0;
};

// One store read per key at a time. A read asked for while the same key's read is pending waits for that
// read's result instead of starting another: against a locked store a second job would wait behind the same
// unlock prompt, or show a second one. Waiters resume from the event loop.
//
// A read joins only a pending read that began after the key's last change: one begun before a save or a
// removal finished may answer with the old token, and a refresh right after a reconnect would send the
// revoked token and ask to reconnect again.
class ReadsInFlight
{
public:
    using Read = std::function<QCoro::Task<std::optional<QString>>()>;

    // The result of `start()`, or of the read already pending for `key`. Holds `reads` only through the
    // shared pointer, so it may outlive whoever asked.
    static QCoro::Task<std::optional<QString>> join(std::shared_ptr<ReadsInFlight> reads, QString key,
                                                    Read start);
    // The store's item for `key` was written or removed: reads pending from before are not joined.
    void changed(const QString& key);

private:
    struct Pending;
    struct WaitForPending;
    std::map<QString, std::shared_ptr<Pending>> m_pending;
    std::map<QString, quint64> m_changes; // per key, how often it was changed
};

// The token store for the system's Secret Service (gnome-keyring, KWallet), Keychain or Credential Manager,
// through QtKeychain. Items are generic passwords with the service name and the identifier as the key; the
// token is stored as its UTF-8 bytes.
class SystemKeychainService final : public KeychainService
{
public:
    // How long one store operation may take before it counts as failed: Secret Service daemons do hang. But a
    // locked store answers only after its unlock prompt, which a person answers in their own time, so the
    // limit is generous: a shorter one made a slow unlock look like a missing token.
    static constexpr std::chrono::milliseconds kDefaultTimeout{120'000};

    // Where the failure lines go: standard output (`printLine`) unless the owner says otherwise.
    using LineSink = std::function<void(const QString&)>;

    explicit SystemKeychainService(QString service = QString::fromLatin1(kApplicationId),
                                   std::chrono::milliseconds timeout = kDefaultTimeout, LineSink report = {});

    QCoro::Task<bool> save(QString token, QString tokenIdentifier) override;
    QCoro::Task<std::optional<QString>> getAsync(QString tokenIdentifier) override;
    QCoro::Task<> remove(QString tokenIdentifier) override;

    const QString& service() const { return m_service; }

private:
    static QCoro::Task<std::optional<QString>> readToken(QString service, QString tokenIdentifier,
                                                         std::chrono::milliseconds timeout, LineSink report);

    QString m_service;
    std::chrono::milliseconds m_timeout;
    LineSink m_report;
    std::shared_ptr<ReadsInFlight> m_reads = std::make_shared<ReadsInFlight>();
};

// The status numbers printed in the failure lines. They are the Security framework's codes for the
// matching condition, so a line means the same thing on every platform the app runs on.
enum class KeychainStatus : int {
    Success = 0,                    // also the status of a stored value that is not valid UTF-8
    ItemNotFound = -25300,          // errSecItemNotFound: never printed
    UserCanceled = -128,            // errSecUserCanceled: the user refused access in a prompt
    AuthFailed = -25293,            // errSecAuthFailed: access denied for another reason (a locked store)
    NotAvailable = -25291,          // errSecNotAvailable: no secure store is running or installed
    Unimplemented = -4,             // errSecUnimplemented: the platform backend lacks the operation
    InteractionNotAllowed = -25308, // errSecInteractionNotAllowed: the store did not answer in time
    InternalComponent = -2070,      // errSecInternalComponent: any other failure, including a failed delete
};

// "⚠️ [Keychain] Save failed for <identifier>: OSStatus <status>" and its read counterpart.
QString keychainSaveFailedLine(const QString& tokenIdentifier, KeychainStatus status);
QString keychainReadFailedLine(const QString& tokenIdentifier, KeychainStatus status);
// Writes a line and a line end to standard output at once (not through Qt's message handler).
void printLine(const QString& line);

// Tokens held in memory, for tests and the demo. Instances built over the same storage see the same items,
// as instances of the system store do.
class InMemoryKeychainService final : public KeychainService
{
public:
    using Storage = std::map<QString, QString>;

    explicit InMemoryKeychainService(std::shared_ptr<Storage> storage = std::make_shared<Storage>());

    QCoro::Task<bool> save(QString token, QString tokenIdentifier) override;
    QCoro::Task<std::optional<QString>> getAsync(QString tokenIdentifier) override;
    QCoro::Task<> remove(QString tokenIdentifier) override;

    const std::shared_ptr<Storage>& storage() const { return m_storage; }

private:
    std::shared_ptr<Storage> m_storage;
};

} // namespace norvane
