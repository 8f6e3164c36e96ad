#pragma once

#include "core/github_account.h"
#include "core/watched_repo.h"
#include "github/cancellation.h"
#include "github/github_service.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <exception>
#include <memory>
#include <optional>

namespace norvane {

class KeychainService;
class WatchedRepoStore;

// What the issues and dashboard models have in common: the selected account, one load at a time over the
// repositories that account watches, the loading flag and the message of the last failure. Reloads by
// itself when a present account is assigned and when the watched list changes for any account. Lives on the
// main thread.
class RepoActivityModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(std::optional<QString> errorMessage READ errorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(std::optional<norvane::GitHubAccount> selectedAccount READ selectedAccount WRITE
                   setSelectedAccount NOTIFY selectedAccountChanged)

public:
    struct Dependencies
    {
        GitHubService github; // each load runs on its account's service (forAccount), never on this one
        std::shared_ptr<KeychainService> keychain;
        std::shared_ptr<WatchedRepoStore>
            watchedRepoStore; // shared with the settings screen and the other tab
    };

    ~RepoActivityModel() override;

    bool isLoading() const { return m_isLoading; }
    const std::optional<QString>& errorMessage() const { return m_errorMessage; }
    const std::optional<GitHubAccount>& selectedAccount() const { return m_selectedAccount; }
    // Assigning a present account reloads for it, and another account's results go at once; assigning none
    // stops the load in flight and keeps what is shown.
    void setSelectedAccount(std::optional<GitHubAccount> account);
    // Whether the selected account watches any repository.
    bool hasWatchedRepos() const;

    // Starts a load for the selected account and returns at once; cancels the load in flight. Without an
    // account it does nothing; when the account watches nothing the results are emptied at once.
    void refresh();

Q_SIGNALS:
    void isLoadingChanged(bool isLoading);
    void errorMessageChanged(const std::optional<QString>& message);
    void selectedAccountChanged(const std::optional<norvane::GitHubAccount>& account);

protected:
    RepoActivityModel(Dependencies dependencies, QObject* parent);

    void setIsLoading(bool loading);
    void setErrorMessage(std::optional<QString> message);

    // Empties the published results (the account watches nothing, or another account was selected).
    virtual void clearResults() = 0;
    virtual bool hasResults() const = 0;
    // Another account was selected (not the same one again), before its load starts.
    virtual void accountSwitched() {}
    // The repositories the selected account watches.
    QList<WatchedRepo> watchedRepos() const;
    // Fetches the repositories' data through `github` (the service of the account the load was started for)
    // with the token and publishes it, unless `cancel` was cancelled by then (a newer load owns the published
    // state) or the model is gone. Holds the model only through a QPointer.
    virtual QCoro::Task<> loadWithToken(GitHubService github, QList<WatchedRepo> repos, QString token,
                                        CancelToken cancel) = 0;

    // The text the user sees for a failed query.
    static QString describeFailure(const std::exception_ptr& failure);

private:
    static QCoro::Task<> runLoad(QPointer<RepoActivityModel> self, GitHubAccount account,
                                 GitHubService github, QList<WatchedRepo> repos, CancelToken cancel,
                                 std::shared_ptr<KeychainService> keychain);
    void cancelCurrentLoad();

    Dependencies m_deps;
    bool m_isLoading = false;
    std::optional<QString> m_errorMessage;
    std::optional<GitHubAccount> m_selectedAccount;
    CancelToken m_currentLoad;
};

} // namespace norvane
