#pragma once

#include "core/pr_rules.h"
#include "core/pull_request.h"
#include "ui/pulls/pr_row.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QList>
#include <functional>
#include <optional>

namespace norvane::ui {

// The filtered pull requests as a list model for a lazy list view: each row carries its record, its unseen
// updates and whether it is the keyboard selection. The content a row draws is built when the view asks.
class PRListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role { PullRequestRole = Qt::UserRole + 1, ContentRole, IdRole };

    using Now = std::function<QDateTime()>;
    explicit PRListModel(QObject* parent = nullptr, Now now = {});

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Replaces the rows; `updates` holds each row's unseen updates, in the same order.
    void setRows(QList<PullRequest> prs, QList<QList<PRUpdateType>> updates);
    // New unseen updates for the same rows (after a pull request was marked seen).
    void setUpdates(QList<QList<PRUpdateType>> updates);
    void setSelectedId(const std::optional<QString>& id);
    // Which pull requests are back from a snooze and unseen (marked as unseen updates are); asked as rows
    // draw.
    void setWokeTest(std::function<bool(const QString& id)> woke) { m_woke = std::move(woke); }

    const QList<PullRequest>& pullRequests() const { return m_prs; }
    int rowOf(const QString& id) const;

private:
    Now m_now;
    QList<PullRequest> m_prs;
    QList<QList<PRUpdateType>> m_updates;
    std::optional<QString> m_selectedId;
    std::function<bool(const QString& id)> m_woke;
};

} // namespace norvane::ui

Q_DECLARE_METATYPE(norvane::ui::PRRowContent)
