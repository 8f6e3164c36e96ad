#pragma once

#include "core/github_account.h"
#include "github/github_device_auth.h"
#include "github/http_session.h"
#include "models/sign_in_model.h"

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QScrollArea;

namespace norvane {
class UrlOpener;
}

namespace norvane::ui {

class SegmentedControl;
class Spinner;

// What the settings page builds its sign-in model from, and the sheet opens links with.
struct AddAccountDependencies
{
    HttpSession session;
    GitHubDeviceAuth::Config authConfig; // github.com's client id, web and API base URLs
    UrlOpener* urlOpener = nullptr;      // the verification page and the token settings; null opens nothing
    std::shared_ptr<DeviceAuthTimer> timer; // null: real timers
};

// The sheet in which a person signs in to GitHub, to add an account or to reconnect one whose token was
// rejected: on github.com or on a GitHub Enterprise Server host (with that server's OAuth App client id for
// the device flow), through the device flow or with a username and a personal access token, which GitHub is
// first asked about (whose token is it?); the sheet refuses it, with the typed values kept, when GitHub
// rejects it, it belongs to another login or GitHub cannot be asked. The work is the SignInModel's, begun for
// this presentation (`SignInModel::begin`, with the account being reconnected): the sheet shows its state
// and forwards what is typed and pressed. It stores nothing: it hands what a sign-in brought to its caller
// through `added`, and never closes itself. Build a new one for every presentation; present it in a
// SheetOverlay. The model must outlive it. Escape cancels, Return adds while the manual entry is shown.
class AddAccountView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kWidth = 440;
    static constexpr int kHeight = 460;

    AddAccountView(SignInModel& model, UrlOpener* urlOpener, QWidget* parent = nullptr);
    ~AddAccountView() override;

    enum class Panel { manual, idle, loading, awaiting, failed };
    Panel shownPanel() const;

    // "Add Account": asks GitHub whose the token is, then hands the typed values on, or explains why not.
    void submitManualEntry();
    // The token is being shown to GitHub: the button says so and takes no second press.
    bool isCheckingToken() const { return m_model->isCheckingToken(); }
    // While the model keeps what the sheet handed on: a busy line in the bottom bar, and neither "Add
    // Account" nor "Cancel" can be pressed, so a second press cannot add the account twice.
    bool isWorking() const { return m_model->isSaving(); }

    // The parts a test or the hosting screen's test looks at.
    struct Controls
    {
        QLabel* title;
        QLineEdit* label;       // device-flow panel
        QLineEdit* manualLabel; // manual panel; shows the same label
        QLineEdit* username;
        QLineEdit* token;
        QAbstractButton* connect;
        QAbstractButton* useToken;
        QAbstractButton* copyCode;
        QAbstractButton* openVerification;
        QAbstractButton* cancelFlow;
        QAbstractButton* tryAgain;
        QAbstractButton* back;
        QAbstractButton* tokenSettings;
        QAbstractButton* cancel;
        QAbstractButton* add;
        QLabel* code;
        QLabel* failure;
        QLabel* manualError;
        Spinner* loadingSpinner;
        Spinner* waitingSpinner;
        QWidget* busy; // the bottom bar's spinner and its text, while checking or working
        QLabel* busyText;
        SegmentedControl* server; // "GitHub.com" or "GitHub Enterprise Server"; hidden when reconnecting
        QLineEdit* host;
        QLineEdit* clientId;
        QLabel* hostError;
        QLabel* reconnectServer; // the Enterprise host of the account being reconnected
    };
    const Controls& controls() const { return m_controls; }
    SignInModel& model() const { return *m_model; }

Q_SIGNALS:
    // `server` is where the token belongs: the server the flow ran on or the token was checked against.
    void added(const QString& username, const QString& token, const std::optional<QString>& label,
               const norvane::AccountServer& server);
    void cancelled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildDeviceFlowPanel();
    QWidget* buildManualPanel();
    QWidget* buildIdlePanel();
    QWidget* buildLoadingPanel();
    QWidget* buildAwaitingPanel();
    QWidget* buildFailedPanel();
    QWidget* buildBottomBar();
    QWidget* buildServerBlock();
    QWidget* labelBlock(QLineEdit** field, bool withHint);

    void setManualEntryShown(bool shown);
    void showState(const DeviceAuthState& state);
    void updateAddEnabled();
    void relayout();
    void setManualError(const std::optional<QString>& message);
    void setLabel(const QString& label);
    void open(const QUrl& url);
    void keepFocusInside();
    void updateBusy();
    // The server chosen in the sheet, or none (with the reason shown under the host field).
    std::optional<AccountServer> chosenServer();
    // The web host the links of the sheet name: the chosen server's, when it is known.
    std::optional<QString> shownWebBaseURL() const;
    void updateServerFields();
    void startDeviceFlow();

    QPointer<SignInModel> m_model;
    UrlOpener* m_urlOpener;
    std::optional<GitHubAccount> m_reauthAccount; // as the model had it when the sheet was built
    bool m_showManualEntry = false;
    QUrl m_verificationURL;

    Controls m_controls{};
    QScrollArea* m_scroll = nullptr;
    QWidget* m_serverBlock = nullptr;
    QWidget* m_devicePanel = nullptr;
    QWidget* m_manualPanel = nullptr;
    QWidget* m_idlePanel = nullptr;
    QWidget* m_loadingPanel = nullptr;
    QWidget* m_awaitingPanel = nullptr;
    QWidget* m_failedPanel = nullptr;
};

} // namespace norvane::ui
