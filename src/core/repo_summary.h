#pragma once

#include "core/activity_records.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace norvane {

// One dashboard card: what a watched repository looks like today. Identified by `repository`.
struct RepoSummary
{
    QString repository;
    qint64 openPRCount = 0;
    std::optional<QDateTime> lastCommitAt;
    std::optional<QString> lastCommitMessage; // present exactly when lastCommitAt is
    QList<DeployInfo> recentDeploys;          // today's, newest first
    std::optional<QStringList> environments;  // absent rather than empty

    friend bool operator==(const RepoSummary&, const RepoSummary&) = default;
};

} // namespace norvane
