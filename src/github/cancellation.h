#pragma once

#include <QObject>

#include <memory>

namespace norvane {

// A cancellation flag owned by whoever starts a piece of network work. Cancelling aborts the request in
// flight and makes every later request of the same run fail at once as a transport error.
class Cancellation : public QObject {
    Q_OBJECT
public:
    bool isCancelled() const { return m_cancelled; }
    void cancel()
    {
        if (m_cancelled)
            return;
        m_cancelled = true;
        Q_EMIT cancelled();
    }

Q_SIGNALS:
    void cancelled();

private:
    bool m_cancelled = false;
};

using CancelToken = std::shared_ptr<Cancellation>;

inline CancelToken makeCancelToken()
{
    return std::make_shared<Cancellation>();
}

} // namespace norvane
