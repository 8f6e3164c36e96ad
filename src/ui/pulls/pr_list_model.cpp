#include "ui/pulls/pr_list_model.h"

namespace norvane::ui {

PRListModel::PRListModel(QObject* parent, Now now) : QAbstractListModel(parent), m_now(std::move(now))
{
    if (!m_now)
        m_now = [] { return QDateTime::currentDateTimeUtc(); };
}

int PRListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_prs.size());
}

QVariant PRListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_prs.size())
        return {};
    const PullRequest& pr = m_prs[index.row()];
    const bool woke = m_woke && m_woke(pr.id);
    switch (role) {
    case Qt::DisplayRole:
        return pr.title;
    case IdRole:
        return pr.id;
    case PullRequestRole:
        return QVariant::fromValue(pr);
    case ContentRole:
        return QVariant::fromValue(
            rowContent(pr, m_updates.value(index.row()), m_selectedId == pr.id, m_now(), woke));
    case Qt::AccessibleTextRole:
        return spokenRow(rowContent(pr, m_updates.value(index.row()), false, m_now(), woke)).name;
    case Qt::AccessibleDescriptionRole:
        return spokenRow(rowContent(pr, m_updates.value(index.row()), false, m_now(), woke)).description;
    default:
        return {};
    }
}

void PRListModel::setRows(QList<PullRequest> prs, QList<QList<PRUpdateType>> updates)
{
    beginResetModel();
    m_prs = std::move(prs);
    m_updates = std::move(updates);
    endResetModel();
}

void PRListModel::setUpdates(QList<QList<PRUpdateType>> updates)
{
    m_updates = std::move(updates);
    if (!m_prs.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_prs.size()) - 1), {ContentRole});
}

void PRListModel::setSelectedId(const std::optional<QString>& id)
{
    if (m_selectedId == id)
        return;
    const int before = m_selectedId ? rowOf(*m_selectedId) : -1;
    m_selectedId = id;
    const int after = id ? rowOf(*id) : -1;
    for (int row : {before, after}) {
        if (row >= 0)
            Q_EMIT dataChanged(index(row), index(row), {ContentRole});
    }
}

int PRListModel::rowOf(const QString& id) const
{
    for (int i = 0; i < m_prs.size(); ++i) {
        if (m_prs[i].id == id)
            return i;
    }
    return -1;
}

} // namespace norvane::ui
