#include "ui/pulls/rate_limit_line.h"

#include "models/pr_view_model.h"
#include "ui/widgets/controls.h"

#include <QHBoxLayout>

namespace norvane::ui {

RateLimitLine::RateLimitLine(PRViewModel& model, QWidget* parent) : QWidget(parent), m_model(model)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 4, 12, 4);
    row->setSpacing(6);
    row->addWidget(new SymbolLabel(Symbol::clock, ThemeColor::secondary, 11, this));
    m_label = new ThemedLabel({}, TextStyle::caption, ThemeColor::secondary, this);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(true);
    row->addWidget(m_label, 1);
    connect(&m_model, &PRViewModel::rateLimitNoticeChanged, this, &RateLimitLine::showNotice);
    showNotice();
}

QString RateLimitLine::text() const
{
    return isHidden() ? QString() : m_label->text();
}

void RateLimitLine::showNotice()
{
    const std::optional<QString> notice = m_model.rateLimitNotice();
    m_label->setText(notice.value_or(QString()));
    setVisible(notice.has_value());
}

} // namespace norvane::ui
