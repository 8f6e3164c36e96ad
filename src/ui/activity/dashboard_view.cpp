#include "ui/activity/dashboard_view.h"

#include "models/dashboard_view_model.h"
#include "platform/url_opener.h"
#include "ui/widgets/accessibility.h"
#include "ui/widgets/controls.h"

#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace norvane::ui {

namespace {

constexpr int kBadgePadX = 4;
constexpr int kBadgePadY = 2;
constexpr int kBadgeIconGap = 3;

QFont italic(QFont font)
{
    font.setItalic(true);
    return font;
}

// The symbol sized to the caption text it sits with.
SymbolLabel* captionSymbol(Symbol symbol, ThemeColor tint, QWidget* parent)
{
    return new SymbolLabel(symbol, tint, QFontMetrics(textFont(TextStyle::caption)).ascent(), parent);
}

// A symbol and its text at spacing 4.
QWidget* iconText(Symbol symbol, ThemeColor symbolTint, const QString& text, ThemeColor textTint,
                  QWidget* parent)
{
    auto* item = new QWidget(parent);
    auto* row = new QHBoxLayout(item);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    row->addWidget(captionSymbol(symbol, symbolTint, item));
    row->addWidget(new ThemedLabel(text, TextStyle::caption, textTint, item));
    return item;
}

QHBoxLayout* line(QVBoxLayout* column, int spacing)
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(spacing);
    column->addLayout(row);
    return row;
}

} // namespace

// --- Small parts
// --------------------------------------------------------------------------------------------

ElidedLabel::ElidedLabel(const QString& text, const QFont& font, ThemeColor tint, QWidget* parent)
    : QWidget(parent), m_text(text), m_tint(tint)
{
    setFont(font);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize ElidedLabel::sizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(m_text) + 2, metrics.height());
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(QStringLiteral("…")) + 1, metrics.height());
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(color(m_tint, palette()));
    const QFontMetrics metrics(font());
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(m_text, Qt::ElideRight, width()));
}

DeployBadgeView::DeployBadgeView(DeployBadge badge, QWidget* parent)
    : QWidget(parent), m_badge(std::move(badge))
{
    setFont(textFont(TextStyle::caption2));
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    setToolTip(plainToolTip(m_badge.environment));
}

QSize DeployBadgeView::sizeHint() const
{
    const QFontMetrics metrics(font());
    // Two pixels to spare: rounded advances would otherwise cut a name that fits.
    return QSize(2 * kBadgePadX + metrics.ascent() + kBadgeIconGap +
                     metrics.horizontalAdvance(m_badge.environment) + 2,
                 metrics.height() + 2 * kBadgePadY);
}

QSize DeployBadgeView::minimumSizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(2 * kBadgePadX + metrics.ascent() + kBadgeIconGap +
                     metrics.horizontalAdvance(QStringLiteral("…")),
                 metrics.height() + 2 * kBadgePadY);
}

void DeployBadgeView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor tint = color(m_badge.color, palette());
    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(tint, 0.1));
    painter.drawRoundedRect(QRectF(rect()), 4, 4);
    const QFontMetrics metrics(font());
    const int icon = metrics.ascent();
    int x = kBadgePadX;
    painter.drawPixmap(x, (height() - icon) / 2,
                       symbolPixmap(m_badge.symbol, tint, icon, devicePixelRatioF()));
    x += icon + kBadgeIconGap;
    painter.setPen(color(ThemeColor::secondary, palette()));
    const QRect text(x, 0, width() - x - kBadgePadX, height());
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(m_badge.environment, Qt::ElideRight, text.width()));
}

RepoLinkButton::RepoLinkButton(const QString& text, QWidget* parent) : QAbstractButton(parent)
{
    setText(text);
    setFont(textFont(TextStyle::subheadline, QFont::DemiBold));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
}

QSize RepoLinkButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text()) + 2, metrics.height());
}

QSize RepoLinkButton::minimumSizeHint() const
{
    return QSize(40, QFontMetrics(font()).height());
}

void RepoLinkButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(color(ThemeColor::primary, palette()));
    const QFontMetrics metrics(font());
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(text(), Qt::ElideRight, width()));
}

// --- The card
// -----------------------------------------------------------------------------------------------

RepoSummaryCard::RepoSummaryCard(const RepoSummary& summary, const QDateTime& now, QWidget* parent)
    : QWidget(parent), m_content(cardContent(summary, now))
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    const SpokenText spoken = spokenCard(m_content);
    setAccessibleRole(this, QAccessible::Grouping);
    setAccessibleName(spoken.name);
    setAccessibleDescription(spoken.description);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(8);

    m_name = new RepoLinkButton(m_content.repository, this);
    column->addWidget(m_name, 0, Qt::AlignLeft);
    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Plain);
    rule->setFixedHeight(1);
    rule->setForegroundRole(QPalette::Mid);
    column->addWidget(rule);

    QHBoxLayout* stats = line(column, 16);
    stats->addWidget(iconText(Symbol::arrowTriangleBranch, ThemeColor::secondary, m_content.openPRs,
                              ThemeColor::secondary, this));
    if (m_content.commitTime)
        stats->addWidget(iconText(Symbol::clock, ThemeColor::secondary, *m_content.commitTime,
                                  ThemeColor::secondary, this));
    stats->addStretch();

    if (m_content.commitQuote)
        column->addWidget(new ElidedLabel(*m_content.commitQuote, italic(textFont(TextStyle::caption)),
                                          ThemeColor::secondary, this));

    if (m_content.deploys) {
        QHBoxLayout* deploys = line(column, 4);
        deploys->addWidget(captionSymbol(Symbol::arrowUpCircle, ThemeColor::blue, this));
        deploys->addWidget(
            new ThemedLabel(*m_content.deploys, TextStyle::caption, ThemeColor::primary, this));
        for (const DeployBadge& badge : m_content.badges) {
            auto* view = new DeployBadgeView(badge, this);
            m_badges.append(view);
            deploys->addWidget(view);
        }
        deploys->addStretch();
    }

    if (m_content.environments) {
        QHBoxLayout* environments = line(column, 4);
        environments->addWidget(captionSymbol(Symbol::serverRack, ThemeColor::secondary, this));
        environments->addWidget(new ElidedLabel(*m_content.environments, textFont(TextStyle::caption),
                                                ThemeColor::secondary, this));
        if (m_content.moreEnvironments)
            environments->addWidget(new ThemedLabel(*m_content.moreEnvironments, TextStyle::caption,
                                                    ThemeColor::secondary, this));
        environments->addStretch();
    }
}

QStringList RepoSummaryCard::shownTexts() const
{
    QStringList texts{m_content.repository, m_content.openPRs};
    for (const auto& text : {m_content.commitTime, m_content.commitQuote, m_content.deploys})
        if (text)
            texts.append(*text);
    for (const DeployBadgeView* badge : m_badges)
        texts.append(badge->badge().environment);
    for (const auto& text : {m_content.environments, m_content.moreEnvironments})
        if (text)
            texts.append(*text);
    return texts;
}

void RepoSummaryCard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25);
    painter.setBrush(color(ThemeColor::controlBackground, palette()));
    painter.setPen(QPen(withAlpha(color(ThemeColor::primary, palette()), 0.2), 0.5));
    painter.drawRoundedRect(box, 8, 8);
}

// --- The tab
// ------------------------------------------------------------------------------------------------

DashboardView::DashboardView(DashboardViewModel& model, UrlOpener& urlOpener, QString webBase,
                             QWidget* parent)
    : QWidget(parent), m_model(model), m_urlOpener(urlOpener), m_webBase(std::move(webBase))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_states = new QStackedWidget(this);
    m_states->addWidget(loadingPage(tr("Loading repos..."), m_states));
    m_states->addWidget(emptyStatePage(Symbol::rectangle3Group, ThemeColor::secondary, tr("No watched repos"),
                                       tr("Add repos in Settings to see a dashboard here"), m_states));
    m_scroll = verticalScrollArea(m_states);
    auto* content = new QWidget(m_scroll);
    content->setAutoFillBackground(false);
    m_cardColumn = new QVBoxLayout(content);
    m_cardColumn->setContentsMargins(12, 8, 12, 8);
    m_cardColumn->setSpacing(8);
    m_cardColumn->addStretch();
    m_scroll->setWidget(content);
    m_states->addWidget(m_scroll);
    column->addWidget(m_states, 1);

    m_errorBanner = new ErrorBanner(this);
    column->addWidget(m_errorBanner);

    connect(&m_model, &DashboardViewModel::summariesChanged, this, [this] { rebuildCards(); });
    connect(&m_model, &DashboardViewModel::isLoadingChanged, this, [this] { updateState(); });
    connect(&m_model, &DashboardViewModel::errorMessageChanged, m_errorBanner, &ErrorBanner::setMessage);
    m_errorBanner->setMessage(m_model.errorMessage());
    rebuildCards();
}

DashboardView::~DashboardView() = default;

void DashboardView::rebuildCards()
{
    qDeleteAll(m_cards);
    m_cards.clear();
    QWidget* content = m_scroll->widget();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const RepoSummary& summary : m_model.summaries()) {
        auto* card = new RepoSummaryCard(summary, now, content);
        const QString repository = summary.repository;
        connect(card->nameButton(), &QAbstractButton::clicked, this, [this, repository] {
            // The selected account's web host: an Enterprise account's repositories live on its server.
            const QString webBase =
                m_model.selectedAccount()
                    ? m_model.selectedAccount()->endpoints({QString(), m_webBase}).webBaseURL
                    : m_webBase;
            if (const auto page = repositoryPage(webBase, repository))
                m_urlOpener.open(*page);
        });
        // Before the closing stretch, so the cards stay at the top.
        m_cardColumn->insertWidget(m_cardColumn->count() - 1, card);
        m_cards.append(card);
    }
    updateState();
}

void DashboardView::updateState()
{
    State state = State::cards;
    if (m_model.isLoading())
        state = State::loading;
    else if (m_cards.isEmpty())
        state = State::empty;
    m_states->setCurrentIndex(int(state));
}

DashboardView::State DashboardView::state() const
{
    return State(m_states->currentIndex());
}

} // namespace norvane::ui
