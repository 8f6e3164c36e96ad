#include "ui/pulls/list_selection.h"

namespace norvane::ui {

namespace {

std::optional<QString> step(const QStringList& ids, const std::optional<QString>& current, int delta)
{
    if (ids.isEmpty())
        return current;
    const qsizetype at = current ? ids.indexOf(*current) : -1;
    if (at < 0)
        return ids.first();
    return ids[std::clamp<qsizetype>(at + delta, 0, ids.size() - 1)];
}

} // namespace

std::optional<QString> nextSelection(const QStringList& ids, const std::optional<QString>& current)
{
    return step(ids, current, +1);
}

std::optional<QString> previousSelection(const QStringList& ids, const std::optional<QString>& current)
{
    return step(ids, current, -1);
}

std::optional<QString> validSelection(const QStringList& ids, const std::optional<QString>& current)
{
    if (ids.isEmpty())
        return std::nullopt;
    if (current && ids.contains(*current))
        return current;
    return ids.first();
}

} // namespace norvane::ui
