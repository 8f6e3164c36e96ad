#pragma once

#include <QWidget>

namespace norvane {
class PRViewModel;
}

namespace norvane::ui {

class ThemedLabel;

// A quiet line above the pull-request list while GitHub's rate limit holds the selected account's polls:
// without it, a long pause would look like a quiet day. Hidden otherwise; it follows the model on its own.
class RateLimitLine final : public QWidget
{
    Q_OBJECT

public:
    explicit RateLimitLine(PRViewModel& model, QWidget* parent = nullptr);

    QString text() const;

private:
    void showNotice();

    PRViewModel& m_model;
    ThemedLabel* m_label = nullptr;
};

} // namespace norvane::ui
