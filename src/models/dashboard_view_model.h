#pragma once

#include "core/repo_summary.h"
#include "models/repo_activity_model.h"

#include <QList>

namespace norvane {

// The dashboard tab: one card per repository the selected account watches. A card is always built: a
// query that fails leaves its part of the card at zero or absent, and no failure is shown.
class DashboardViewModel : public RepoActivityModel
{
    Q_OBJECT
    Q_PROPERTY(QList<norvane::RepoSummary> summaries READ summaries NOTIFY summariesChanged)

public:
    explicit DashboardViewModel(Dependencies dependencies, QObject* parent = nullptr);

    // The last completed load, in code-point order of the repository names.
    const QList<RepoSummary>& summaries() const { return m_summaries; }

Q_SIGNALS:
    void summariesChanged(const QList<norvane::RepoSummary>& summaries);

protected:
    void clearResults() override;
    bool hasResults() const override { return !m_summaries.isEmpty(); }
    QCoro::Task<> loadWithToken(GitHubService github, QList<WatchedRepo> repos, QString token,
                                CancelToken cancel) override;

private:
    // The card of one repository from four concurrent queries. Never fails.
    static QCoro::Task<RepoSummary> fetchSummary(GitHubService github, QString repo, QString token,
                                                 CancelToken cancel);
    static QCoro::Task<> load(QPointer<DashboardViewModel> self, GitHubService github,
                              QList<WatchedRepo> repos, QString token, CancelToken cancel);
    void setSummaries(QList<RepoSummary> summaries);

    QList<RepoSummary> m_summaries;
};

} // namespace norvane
