#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace norvane {

// Where the debug log looks for its switches and writes its lines. The process uses the real environment;
// tests build their own.
struct DebugLogEnvironment {
    std::optional<QString> debugModeVariable; // value of DEBUG_MODE, absent when unset
    QString homeDirectory;                    // where the ".norvane_debug" marker is looked for
    std::optional<QString> logDirectory;      // absent: no file logging for the life of the logger
    std::function<void(const QString&)> systemLog; // receives "[category] message"; default: qInfo

    static DebugLogEnvironment fromProcess();
};

// Writes diagnostic lines when debug mode is on: to the system log on the caller's thread and, with a UTC
// timestamp, to "norvane_debug.log" through one serial worker thread. The first line of a logger replaces
// whatever file was there, so each run starts a fresh log. Nothing here ever reports a failure: a missing
// directory or an unwritable file only loses file lines.
class DebugLogger {
public:
    explicit DebugLogger(DebugLogEnvironment environment);
    ~DebugLogger();
    DebugLogger(const DebugLogger&) = delete;
    DebugLogger& operator=(const DebugLogger&) = delete;

    bool isDebugMode() const { return m_debugMode; }
    void log(const QString& category, const QString& message);
    void appendToFile(const QString& text);
    // The log file's path, creating its directory on first use; absent when it cannot be determined.
    std::optional<QString> logFilePath();
    // Blocks until every line submitted so far has been written (tests, and the process at exit).
    void waitUntilIdle();

private:
    struct Item {
        QString text;
        QString path;
    };
    void run();
    void write(const Item& item);

    DebugLogEnvironment m_env;
    bool m_debugMode = false;

    std::once_flag m_pathOnce;
    std::optional<QString> m_path;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Item> m_queue;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_worker; // started with the first file line

    bool m_fileWritten = false; // touched only by the worker
};

// The process-wide debug log: configured from the real environment on first use, then fixed for the run.
bool isDebugMode();
void debugLog(const QString& category, const QString& message);
void appendToDebugLogFile(const QString& text);
DebugLogger& processDebugLogger();

} // namespace norvane
