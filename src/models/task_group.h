#pragma once

#include "github/cancellation.h"

#include <QList>
#include <exception>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>
#include <vector>

// Concurrent child coroutines of one load: start them all, then wait for all of them.
namespace norvane {

// A token cancelled together with `parent` (at once when the parent already is) that can also be cancelled
// on its own: a group of requests that stops when its load does, or when one of its members fails.
inline CancelToken makeChildCancelToken(const CancelToken& parent)
{
    CancelToken child = makeCancelToken();
    if (!parent)
        return child;
    if (parent->isCancelled())
        child->cancel();
    else
        QObject::connect(parent.get(), &Cancellation::cancelled, child.get(), &Cancellation::cancel);
    return child;
}

namespace detail {

template <typename T> struct Gathering
{
    QList<T> results; // in completion order
    std::exception_ptr firstError;
    CancelToken group;
};

template <typename T> QCoro::Task<> gatherOne(QCoro::Task<T> child, std::shared_ptr<Gathering<T>> gathering)
{
    try {
        T value = co_await std::move(child);
        if (!gathering->firstError)
            gathering->results.append(std::move(value));
    } catch (...) {
        if (!gathering->firstError) {
            gathering->firstError = std::current_exception();
            gathering->group->cancel();
        }
    }
}

} // namespace detail

// Starts `start(item, groupToken)` for every item before waiting for any, then waits for all of them and
// returns their results in completion order. The first child to fail cancels the group token, so its
// siblings stop early, and its exception is rethrown once every child has ended. The group token is also
// cancelled when `cancel` is. `start` must return a coroutine that owns copies of what it uses.
template <typename T, typename Item, typename Start>
QCoro::Task<QList<T>> gatherConcurrently(QList<Item> items, CancelToken cancel, Start start)
{
    auto gathering = std::make_shared<detail::Gathering<T>>();
    gathering->group = makeChildCancelToken(cancel);
    std::vector<QCoro::Task<>> children;
    children.reserve(items.size());
    for (const Item& item : items)
        children.push_back(detail::gatherOne<T>(start(item, gathering->group), gathering));
    for (QCoro::Task<>& child : children)
        co_await std::move(child);
    if (gathering->firstError)
        std::rethrow_exception(gathering->firstError);
    co_return std::move(gathering->results);
}

// The value of a query whose failure only means "not available".
template <typename T> QCoro::Task<std::optional<T>> valueOrAbsent(QCoro::Task<T> query)
{
    try {
        co_return co_await std::move(query);
    } catch (...) {
        co_return std::nullopt;
    }
}

} // namespace norvane
