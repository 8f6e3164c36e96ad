#include "github/response_cache.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QStandardPaths>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace norvane {

namespace {

// Version 2 added the body's digest; an entry of version 1 reads as a miss and is written anew.
constexpr QByteArrayView kMagic = "norvane-http-cache 2\n";
constexpr QFileDevice::Permissions kOwnerOnlyDir =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

QByteArray hexDigest(QByteArrayView data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

bool makeOwnerOnlyDir(const QString& path)
{
    if (!QDir().mkpath(path))
        return false;
    return QFile::setPermissions(path, kOwnerOnlyDir);
}

// Header values come from the network: a line break in one would end the line early.
bool fitsOnALine(const QByteArray& value)
{
    return !value.contains('\n') && !value.contains('\r');
}

// Reads "<name> <value>\n" at `pos`; nullopt when the line is not exactly that.
std::optional<QByteArray> field(const QByteArray& bytes, qsizetype& pos, QByteArrayView name)
{
    const qsizetype end = bytes.indexOf('\n', pos);
    if (end < 0)
        return std::nullopt;
    const QByteArrayView line(bytes.constData() + pos, end - pos);
    if (!line.startsWith(name) || line.size() <= name.size() || line[name.size()] != ' ')
        return std::nullopt;
    pos = end + 1;
    return line.sliced(name.size() + 1).toByteArray();
}

} // namespace

ResponseCache::ResponseCache(QString directory, qint64 maxBytes)
    : m_directory(std::move(directory)), m_maxBytes(std::max<qint64>(maxBytes, 1024))
{
}

QString ResponseCache::defaultDirectory()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).filePath(QStringLiteral("http"));
}

QString ResponseCache::directoryFor(const std::optional<QString>& profile)
{
    return profile ? QDir(*profile).filePath(QStringLiteral("cache/http")) : defaultDirectory();
}

QByteArray ResponseCache::credentialKey(const QByteArray& credential)
{
    return hexDigest(QByteArray("norvane-credential:") + credential);
}

QByteArray ResponseCache::encodeEntry(const QString& url, const QByteArray& credentialKey,
                                      const CachedResponse& response)
{
    QByteArray out;
    out.reserve(response.body.size() + 256);
    out += kMagic;
    out += "url " + url.toUtf8() + '\n';
    out += "credential " + credentialKey + '\n';
    out += "etag " + response.etag + '\n';
    out += "last-modified " + response.lastModified + '\n';
    out += "digest " + hexDigest(response.body) + '\n';
    out += "body " + QByteArray::number(response.body.size()) + '\n';
    out += response.body;
    return out;
}

std::optional<CachedResponse> ResponseCache::decodeEntry(const QByteArray& bytes, const QString& url,
                                                         const QByteArray& credentialKey)
{
    if (!bytes.startsWith(kMagic))
        return std::nullopt;
    qsizetype pos = kMagic.size();
    const auto storedUrl = field(bytes, pos, "url");
    const auto storedKey = field(bytes, pos, "credential");
    if (!storedUrl || !storedKey || *storedUrl != url.toUtf8() || *storedKey != credentialKey)
        return std::nullopt;
    const auto etag = field(bytes, pos, "etag");
    const auto lastModified = field(bytes, pos, "last-modified");
    const auto digest = field(bytes, pos, "digest");
    const auto length = field(bytes, pos, "body");
    if (!etag || !lastModified || !digest || !length)
        return std::nullopt;
    bool ok = false;
    const qint64 size = length->toLongLong(&ok);
    if (!ok || size < 0 || size != bytes.size() - pos || (etag->trimmed().isEmpty() && lastModified->trimmed().isEmpty()))
        return std::nullopt;
    // A body damaged on disk, even without changing its length, is not what GitHub sent: a miss.
    QByteArray body = bytes.sliced(pos);
    if (hexDigest(body) != *digest)
        return std::nullopt;
    return CachedResponse{*etag, *lastModified, std::move(body)};
}

QString ResponseCache::partitionPath(const QString& partition) const
{
    // Partitions are account identifiers; anything else is hashed rather than trusted as a folder name.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9-]{1,64}$"));
    const QString name = plain.match(partition).hasMatch()
                             ? partition
                             : QString::fromLatin1(hexDigest(partition.toUtf8()).left(32));
    return QDir(m_directory).filePath(name);
}

QString ResponseCache::entryPath(const QString& partition, const QUrl& url) const
{
    return QDir(partitionPath(partition)).filePath(QString::fromLatin1(hexDigest(url.toEncoded()).left(40)));
}

std::optional<CachedResponse> ResponseCache::find(const QString& partition, const QUrl& url,
                                                  const QByteArray& credential) const
{
    QFile file(entryPath(partition, url));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxEntryBytes + 4096)
        return std::nullopt;
    return decodeEntry(file.readAll(), QString::fromUtf8(url.toEncoded()), credentialKey(credential));
}

void ResponseCache::store(const QString& partition, const QUrl& url, const QByteArray& credential,
                          const CachedResponse& response)
{
    if (response.body.size() > kMaxEntryBytes || !fitsOnALine(response.etag) || !fitsOnALine(response.lastModified) ||
        (response.etag.isEmpty() && response.lastModified.isEmpty()))
        return;
    if (m_removedPartitions.contains(partition))
        return;
    // The folders are made (and made private) once per partition, not once per entry.
    const QString folder = partitionPath(partition);
    if (!m_readyFolders.contains(folder)) {
        if (!makeOwnerOnlyDir(m_directory) || !makeOwnerOnlyDir(folder))
            return;
        m_readyFolders.insert(folder);
    }
    const QString path = entryPath(partition, url);
    const qint64 before = QFileInfo(path).size();
    // Written beside its place and renamed over it, so a reader sees the old entry or the new one. No
    // fsync (QSaveFile's): a cache needs no durability, and an entry cut short by a crash reads as a miss.
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    file.setAutoRemove(false);
    if (!file.open()) {
        m_readyFolders.remove(folder); // removed behind our back: made again next time
        return;
    }
    const QByteArray bytes = encodeEntry(QString::fromUtf8(url.toEncoded()), credentialKey(credential), response);
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    std::error_code error;
    if (written)
        std::filesystem::rename(QFile::encodeName(file.fileName()).toStdString(), QFile::encodeName(path).toStdString(), error);
    if (!written || error) {
        QFile::remove(file.fileName());
        return;
    }
    keepWithinBound(bytes.size() - before);
}

void ResponseCache::remove(const QString& partition, const QUrl& url)
{
    QFile::remove(entryPath(partition, url));
    m_knownBytes = -1;
}

void ResponseCache::removePartition(const QString& partition)
{
    m_removedPartitions.insert(partition);
    QDir(partitionPath(partition)).removeRecursively();
    m_readyFolders.remove(partitionPath(partition));
    m_knownBytes = -1;
}

void ResponseCache::keepWithinBound(qint64 added)
{
    if (m_knownBytes >= 0) {
        m_knownBytes += added;
        if (m_knownBytes <= m_maxBytes)
            return;
    }
    // Measured afresh the first time and whenever the bound seems crossed: another process shares the folder.
    struct File {
        QString path;
        qint64 size;
        QDateTime modified;
    };
    std::vector<File> files;
    qint64 total = 0;
    QDirIterator it(m_directory, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        files.push_back({info.filePath(), info.size(), info.lastModified()});
        total += info.size();
    }
    if (total > m_maxBytes) {
        std::sort(files.begin(), files.end(), [](const File& a, const File& b) { return a.modified < b.modified; });
        const qint64 target = m_maxBytes / 4 * 3;
        for (const File& f : files) {
            if (total <= target)
                break;
            if (QFile::remove(f.path))
                total -= f.size;
        }
    }
    m_knownBytes = total;
}

} // namespace norvane
