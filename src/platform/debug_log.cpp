#include "platform/debug_log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtGlobal>

namespace norvane {

DebugLogEnvironment DebugLogEnvironment::fromProcess()
{
    DebugLogEnvironment env;
    if (qEnvironmentVariableIsSet("DEBUG_MODE"))
        env.debugModeVariable = qEnvironmentVariable("DEBUG_MODE");
    env.homeDirectory = QDir::homePath();
    const QStringList dirs = QStandardPaths::standardLocations(QStandardPaths::AppDataLocation);
    if (!dirs.isEmpty())
        env.logDirectory = dirs.first();
    return env;
}

DebugLogger::DebugLogger(DebugLogEnvironment environment) : m_env(std::move(environment))
{
    if (!m_env.systemLog)
        m_env.systemLog = [](const QString& line) { qInfo().noquote() << line; };
    // Only exactly "1" counts; any other value falls through to the marker file, whatever it is.
    m_debugMode = m_env.debugModeVariable == QStringLiteral("1") ||
                  QFileInfo::exists(QDir(m_env.homeDirectory).filePath(QStringLiteral(".norvane_debug")));
}

DebugLogger::~DebugLogger()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

void DebugLogger::log(const QString& category, const QString& message)
{
    if (!m_debugMode)
        return;
    const QString line = QLatin1Char('[') + category + QStringLiteral("] ") + message;
    m_env.systemLog(line);
    appendToFile(line);
}

std::optional<QString> DebugLogger::logFilePath()
{
    std::call_once(m_pathOnce, [this] {
        if (!m_env.logDirectory)
            return;
        QDir().mkpath(*m_env.logDirectory); // a failure shows up later as an unopenable file
        m_path = QDir(*m_env.logDirectory).filePath(QStringLiteral("norvane_debug.log"));
    });
    return m_path;
}

void DebugLogger::appendToFile(const QString& text)
{
    const auto path = logFilePath();
    if (!path)
        return;
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        if (!m_worker.joinable())
            m_worker = std::thread([this] { run(); });
        m_queue.push_back(Item{text, *path});
    }
    m_wake.notify_one();
}

void DebugLogger::waitUntilIdle()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

void DebugLogger::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty()) // stopping, and everything submitted has been written
            return;
        Item item = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        lock.unlock();
        write(item);
        lock.lock();
        m_busy = false;
        if (m_queue.empty())
            m_idle.notify_all();
    }
}

void DebugLogger::write(const Item& item)
{
    // The timestamp is the time the line is written, not the time it was logged.
    const QString stamp = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    const QByteArray bytes = (QLatin1Char('[') + stamp + QStringLiteral("] ") + item.text + QLatin1Char('\n')).toUtf8();
    QFile file(item.path);
    if (!m_fileWritten) {
        m_fileWritten = true; // even when this write fails: later lines append to whatever is there
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
        return;
    }
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(bytes);
}

DebugLogger& processDebugLogger()
{
    // The one process-wide object of the system; built on first use, thread-safe by the language.
    static DebugLogger logger(DebugLogEnvironment::fromProcess());
    return logger;
}

bool isDebugMode()
{
    return processDebugLogger().isDebugMode();
}

void debugLog(const QString& category, const QString& message)
{
    processDebugLogger().log(category, message);
}

void appendToDebugLogFile(const QString& text)
{
    processDebugLogger().appendToFile(text);
}

} // namespace norvane
