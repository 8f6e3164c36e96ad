#include "models/repo_activity_model.h"

#include "github/github_errors.h"
#include "models/watched_repo_store.h"
#include "platform/keychain_service.h"

namespace norvane {

RepoActivityModel::RepoActivityModel(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_deps(std::move(dependencies))
{
    // A direct connection: the reload runs inside the change, against the list as it now is.
    connect(m_deps.watchedRepoStore.get(), &WatchedRepoStore::watchedReposChanged, this,
            &RepoActivityModel::refresh);
}

RepoActivityModel::~RepoActivityModel()
{
    // Nothing will publish the results any more, so their requests stop; but only from the event loop. An
    // aborted request resumes its load at once, which must then find the model gone, not half-destroyed.
    if (m_currentLoad)
        QMetaObject::invokeMethod(m_currentLoad.get(), &Cancellation::cancel, Qt::QueuedConnection);
}

void RepoActivityModel::setSelectedAccount(std::optional<GitHubAccount> account)
{
    const bool reload = account.has_value();
    const bool switched = account && (!m_selectedAccount || m_selectedAccount->id != account->id);
    m_selectedAccount = std::move(account);
    if (!reload) {
        // The load in flight belongs to the account that went: its token goes nowhere now.
        cancelCurrentLoad();
        setIsLoading(false);
    }
    if (switched) {
        // The account before's results never stand in for this one's while its load runs.
        if (hasResults())
            clearResults();
        accountSwitched();
    }
    Q_EMIT selectedAccountChanged(m_selectedAccount);
    if (reload)
        refresh();
}

QList<WatchedRepo> RepoActivityModel::watchedRepos() const
{
    return m_selectedAccount ? m_deps.watchedRepoStore->repos(m_selectedAccount->id) : QList<WatchedRepo>{};
}

bool RepoActivityModel::hasWatchedRepos() const
{
    return m_selectedAccount && !m_deps.watchedRepoStore->repos(m_selectedAccount->id).isEmpty();
}

void RepoActivityModel::setIsLoading(bool loading)
{
    if (m_isLoading == loading)
        return;
    m_isLoading = loading;
    Q_EMIT isLoadingChanged(loading);
}

void RepoActivityModel::setErrorMessage(std::optional<QString> message)
{
    if (m_errorMessage == message)
        return;
    m_errorMessage = std::move(message);
    Q_EMIT errorMessageChanged(m_errorMessage);
}

void RepoActivityModel::cancelCurrentLoad()
{
    if (m_currentLoad)
        m_currentLoad->cancel();
    m_currentLoad.reset();
}

void RepoActivityModel::refresh()
{
    if (!m_selectedAccount)
        return;
    const GitHubAccount account = *m_selectedAccount;
    const QList<WatchedRepo> repos = m_deps.watchedRepoStore->repos(account.id);
    // A load still in flight would otherwise publish the repositories the user just stopped watching.
    cancelCurrentLoad();
    if (repos.isEmpty()) {
        clearResults();
        setIsLoading(false);
        setErrorMessage(std::nullopt);
        return;
    }
    setIsLoading(true);
    setErrorMessage(std::nullopt); // earlier results stay visible while loading
    m_currentLoad = makeCancelToken();
    // The account's own service, fixed now: the token read for it goes to its host whatever is selected
    // later.
    runLoad(QPointer<RepoActivityModel>(this), account, m_deps.github.forAccount(account), repos,
            m_currentLoad, m_deps.keychain);
}

QCoro::Task<> RepoActivityModel::runLoad(QPointer<RepoActivityModel> self, GitHubAccount account,
                                         GitHubService github, QList<WatchedRepo> repos, CancelToken cancel,
                                         std::shared_ptr<KeychainService> keychain)
{
    const std::optional<QString> token = co_await keychain->getAsync(account.tokenKey());
    // A cancelled load leaves the published state to the load or reset that replaced it.
    if (!self || cancel->isCancelled())
        co_return;
    if (!token) {
        // The message first, as on every failure path: observers of the loading flag see the outcome.
        self->setErrorMessage(tr("Failed to retrieve token for %1.").arg(account.username));
        self->setIsLoading(false);
        co_return;
    }
    co_await self->loadWithToken(std::move(github), std::move(repos), *token, std::move(cancel));
}

QString RepoActivityModel::describeFailure(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const GitHubServiceError&) {
        return tr("Token expired. Re-authenticate in Settings.");
    } catch (const GitHubAPIError& e) {
        return e.errorDescription();
    } catch (const TransportError& e) {
        return e.description();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return tr("Unknown error");
    }
}

} // namespace norvane
