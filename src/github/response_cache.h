#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QUrl>

#include <optional>

namespace norvane {

// A stored answer and the validators that let GitHub say "unchanged" instead of sending it again.
struct CachedResponse {
    QByteArray etag;
    QByteArray lastModified;
    QByteArray body;

    friend bool operator==(const CachedResponse&, const CachedResponse&) = default;
};

// The on-disk store behind conditional requests: one folder per account ("partition"), one file per
// address, each entry also bound to the credential it was fetched with, since GitHub's answers vary by
// token. Nothing here ever fails loudly: an entry that is missing, unreadable, damaged, written for another
// address or another token is a miss, and a write that fails leaves the cache as it was. Each entry carries a
// digest of its body, so a body damaged on disk is a miss even where its length is unchanged. The folder is
// created for the user alone (entries too), and the whole store is kept under a size bound by dropping the
// oldest entries. Files are small and written through a temporary file and a rename, so the app and the
// headless commands can share the folder. Reads and writes are small local file operations on the caller's
// thread, like the preferences'.
class ResponseCache {
public:
    static constexpr qint64 kDefaultMaxBytes = 64LL * 1024 * 1024;
    static constexpr qint64 kMaxEntryBytes = 8LL * 1024 * 1024;

    explicit ResponseCache(QString directory, qint64 maxBytes = kDefaultMaxBytes);

    // The user's cache folder for Norvane's HTTP answers (QStandardPaths::CacheLocation + "/http").
    static QString defaultDirectory();
    // `<profile>/cache/http` for a throw-away profile folder, else the default.
    static QString directoryFor(const std::optional<QString>& profile);
    const QString& directory() const { return m_directory; }

    std::optional<CachedResponse> find(const QString& partition, const QUrl& url, const QByteArray& credential) const;
    void store(const QString& partition, const QUrl& url, const QByteArray& credential, const CachedResponse& response);
    void remove(const QString& partition, const QUrl& url);
    // The account was removed: its folder goes, and this store keeps nothing in that partition again (a
    // late answer of a request it had in flight).
    void removePartition(const QString& partition);

    // The stored form of one entry, and its strict reading (nullopt for anything but an exact match).
    static QByteArray encodeEntry(const QString& url, const QByteArray& credentialKey, const CachedResponse& response);
    static std::optional<CachedResponse> decodeEntry(const QByteArray& bytes, const QString& url,
                                                     const QByteArray& credentialKey);
    // A one-way digest of the credential, so the files never hold a token.
    static QByteArray credentialKey(const QByteArray& credential);

private:
    QString partitionPath(const QString& partition) const;
    QString entryPath(const QString& partition, const QUrl& url) const;
    void keepWithinBound(qint64 added);

    QString m_directory;
    qint64 m_maxBytes;
    qint64 m_knownBytes = -1; // -1: not measured yet
    QSet<QString> m_readyFolders; // partition folders known to exist with their permissions set
    QSet<QString> m_removedPartitions;
};

} // namespace norvane
