#pragma once

#include "core/repo_summary.h"
#include "ui/activity/activity_content.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QList>
#include <QWidget>

class QScrollArea;
class QStackedWidget;
class QVBoxLayout;

namespace norvane {
class DashboardViewModel;
class UrlOpener;
} // namespace norvane

namespace norvane::ui {

class ErrorBanner;

// A text that is cut at the end with an ellipsis when its room is too narrow, on one line.
class ElidedLabel final : public QWidget
{
    Q_OBJECT

public:
    ElidedLabel(const QString& text, const QFont& font, ThemeColor tint, QWidget* parent = nullptr);
    const QString& text() const { return m_text; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    ThemeColor m_tint;
};

// A deploy of today: its status symbol in its colour and the environment, on a faint wash of that colour.
class DeployBadgeView final : public QWidget
{
    Q_OBJECT

public:
    DeployBadgeView(DeployBadge badge, QWidget* parent = nullptr);
    const DeployBadge& badge() const { return m_badge; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DeployBadge m_badge;
};

// The card's title: the repository's name, which opens its page on the web host.
class RepoLinkButton final : public QAbstractButton
{
    Q_OBJECT

public:
    explicit RepoLinkButton(const QString& text, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// One watched repository on the dashboard: open pull requests, the last commit, today's deploys and the
// deployment environments.
class RepoSummaryCard final : public QWidget
{
    Q_OBJECT

public:
    RepoSummaryCard(const RepoSummary& summary, const QDateTime& now, QWidget* parent = nullptr);

    const RepoCardContent& content() const { return m_content; }
    RepoLinkButton* nameButton() const { return m_name; }
    const QList<DeployBadgeView*>& badges() const { return m_badges; }
    // Every text the card shows, top to bottom, for tests and screen readers.
    QStringList shownTexts() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    RepoCardContent m_content;
    RepoLinkButton* m_name = nullptr;
    QList<DeployBadgeView*> m_badges;
};

// The dashboard tab: a card per watched repository in the model's order (or why there is none) and the
// error banner under them. Reads the model only; a card's name opens the repository on the selected account's
// web host
// (`webBase` for a github.com account).
class DashboardView final : public QWidget
{
    Q_OBJECT

public:
    enum class State { loading, empty, cards };

    DashboardView(DashboardViewModel& model, UrlOpener& urlOpener, QString webBase,
                  QWidget* parent = nullptr);
    ~DashboardView() override;

    State state() const;
    const QList<RepoSummaryCard*>& cards() const { return m_cards; }
    ErrorBanner* errorBanner() const { return m_errorBanner; }
    QScrollArea* scrollArea() const { return m_scroll; }

private:
    void rebuildCards();
    void updateState();

    DashboardViewModel& m_model;
    UrlOpener& m_urlOpener;
    QString m_webBase;

    QStackedWidget* m_states = nullptr;
    QScrollArea* m_scroll = nullptr;
    QVBoxLayout* m_cardColumn = nullptr;
    QList<RepoSummaryCard*> m_cards;
    ErrorBanner* m_errorBanner = nullptr;
};

} // namespace norvane::ui
