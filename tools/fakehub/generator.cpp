#include "scenario.h"

#include <QJsonArray>

namespace norvane::fakehub {

QJsonObject generateScenarioJson(int pullRequests)
{
    const int count = std::max(pullRequests, 0);
    const int repoCount = std::clamp(count / 20 + 1, 1, 10);
    const QStringList reviewers{"ada", "brook", "cyd", "dana", "eli"};

    QJsonArray users{
        QJsonObject{{"login", "bench"}, {"name", "Bench Mark"}, {"tokens", QJsonArray{"bench-token"}}}};
    for (const QString& login : reviewers)
        users.append(QJsonObject{{"login", login}, {"tokens", QJsonArray{login + QStringLiteral("-token")}}});

    QJsonArray repos;
    for (int r = 0; r < repoCount; ++r) {
        const QString name = QStringLiteral("bench-org/service-%1").arg(r + 1);
        repos.append(QJsonObject{
            {"full_name", name},
            {"environments", QJsonArray{"staging", "production"}},
            {"commits",
             QJsonArray{QJsonObject{{"message", "Bump dependencies"}, {"author", "ada"}, {"date", "-3h"}}}},
            {"deployments", QJsonArray{QJsonObject{{"environment", "production"},
                                                   {"creator", "bench"},
                                                   {"created_at", "today -1h"},
                                                   {"state", "success"}}}},
            {"workflow_runs", QJsonArray{QJsonObject{{"name", "Deploy"},
                                                     {"status", "completed"},
                                                     {"conclusion", "success"},
                                                     {"created_at", "today -2h"}}}},
            {"issues", QJsonArray{QJsonObject{{"number", 100000},
                                              {"title", "Flaky integration test"},
                                              {"author", "cyd"},
                                              {"labels", QJsonArray{"bug"}},
                                              {"created_at", "-2d"}}}},
        });
    }

    // Cycle through who is involved, the review verdicts and the CI states, so every combination the
    // client distinguishes shows up in a world of a few dozen pull requests.
    QJsonArray prs;
    for (int i = 0; i < count; ++i) {
        const QString other = reviewers[i % reviewers.size()];
        const int role = i % 3; // 0: bench wrote it, 1: bench asked to review, 2: bench assigned
        QJsonObject pr{
            {"repository", QStringLiteral("bench-org/service-%1").arg(i % repoCount + 1)},
            {"number", i / repoCount + 1},
            {"title", QStringLiteral("Change %1: tidy up module %2").arg(i + 1).arg(i % 17)},
            {"author", role == 0 ? QStringLiteral("bench") : other},
            {"draft", i % 7 == 6},
            {"created_at", QStringLiteral("-%1h").arg(i + 2)},
            {"updated_at", QStringLiteral("-%1m").arg(i + 1)},
            {"comments", i % 4},
            {"review_comments", i % 3},
        };
        if (role == 1)
            pr.insert("requested_reviewers", QJsonArray{"bench"});
        else
            pr.insert("requested_reviewers", QJsonArray{reviewers[(i + 1) % reviewers.size()]});
        if (role == 2)
            pr.insert("assignees", QJsonArray{"bench"});
        QJsonArray reviews;
        const QString reviewer = reviewers[(i + 2) % reviewers.size()];
        switch (i % 4) {
        case 1:
            reviews.append(QJsonObject{{"user", reviewer}, {"state", "APPROVED"}, {"submitted_at", "-30m"}});
            break;
        case 2:
            reviews.append(
                QJsonObject{{"user", reviewer},
                            {"state", "CHANGES_REQUESTED"},
                            {"body", "Please add a test.\nThe edge case with an empty list fails."},
                            {"submitted_at", "-40m"}});
            break;
        case 3:
            reviews.append(QJsonObject{
                {"user", reviewer}, {"state", "COMMENTED"}, {"body", "Nice"}, {"submitted_at", "-50m"}});
            break;
        default:
            break;
        }
        pr.insert("reviews", reviews);
        static const char* const ci[][2] = {
            {"completed", "success"}, {"completed", "failure"}, {"in_progress", nullptr}, {nullptr, nullptr}};
        const auto& [status, conclusion] = ci[i % 4];
        if (status) {
            QJsonObject run{{"name", "build"}, {"status", status}};
            if (conclusion)
                run.insert("conclusion", conclusion);
            pr.insert("check_runs", QJsonArray{run});
        } else {
            pr.insert("statuses", QJsonArray{QJsonObject{{"context", "ci/legacy"}, {"state", "pending"}}});
        }
        prs.append(pr);
    }
    return QJsonObject{
        {"users", users},
        {"oauth_app", QJsonObject{{"client_id", "norvane-demo-client"}, {"auto_approve_as", "bench"}}},
        {"repositories", repos},
        {"pull_requests", prs},
    };
}

} // namespace norvane::fakehub
