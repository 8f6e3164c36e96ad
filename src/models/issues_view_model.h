#pragma once

#include "core/activity_records.h"
#include "models/repo_activity_model.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace norvane {

// The issues tab: the open issues of every repository the selected account watches, merged newest update
// first, with an optional narrowing to one repository. One failing repository fails the whole load, which
// then keeps the previous list and shows the failure.
class IssuesViewModel : public RepoActivityModel
{
    Q_OBJECT
    Q_PROPERTY(QList<norvane::GitHubIssue> issues READ issues NOTIFY issuesChanged)
    Q_PROPERTY(std::optional<QString> selectedRepository READ selectedRepository WRITE setSelectedRepository
                   NOTIFY selectedRepositoryChanged)

public:
    explicit IssuesViewModel(Dependencies dependencies, QObject* parent = nullptr);

    const QList<GitHubIssue>& issues() const { return m_issues; }
    // Kept across loads, and across an account change only when the new account watches that repository
    // too; a name without issues shows an empty list.
    const std::optional<QString>& selectedRepository() const { return m_selectedRepository; }
    void setSelectedRepository(std::optional<QString> repository);

    // The repositories that have open issues, each once, in code-point order.
    QStringList availableRepositories() const;
    // The issues of the selected repository, or all of them.
    QList<GitHubIssue> filteredIssues() const;

Q_SIGNALS:
    void issuesChanged(const QList<norvane::GitHubIssue>& issues);
    void selectedRepositoryChanged(const std::optional<QString>& repository);

protected:
    void clearResults() override;
    bool hasResults() const override { return !m_issues.isEmpty(); }
    void accountSwitched() override;
    QCoro::Task<> loadWithToken(GitHubService github, QList<WatchedRepo> repos, QString token,
                                CancelToken cancel) override;

private:
    static QCoro::Task<> load(QPointer<IssuesViewModel> self, GitHubService github, QList<WatchedRepo> repos,
                              QString token, CancelToken cancel);
    void setIssues(QList<GitHubIssue> issues);

    QList<GitHubIssue> m_issues;
    std::optional<QString> m_selectedRepository;
};

} // namespace norvane
