#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The keyboard selection of a list of rows, by row id. An absent or vanished selection always falls back
// to the first row, so the first key press lands somewhere visible.
namespace norvane::ui {

std::optional<QString> nextSelection(const QStringList& ids, const std::optional<QString>& current);
std::optional<QString> previousSelection(const QStringList& ids, const std::optional<QString>& current);
// Keeps a selection still in the list, else the first row; absent for an empty list.
std::optional<QString> validSelection(const QStringList& ids, const std::optional<QString>& current);

} // namespace norvane::ui
