#pragma once

// Small builders for fakehub worlds, so each test states only what it is about.

#include "fakehub/fakehub.h"

#include <QDateTime>

namespace norvane::testing {

namespace fh = norvane::fakehub;

inline QDateTime utc(const char* iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate);
}

// Users me (token "tok-me"), alice and bob; repositories acme/api and acme/web, visible to everyone.
inline fh::Scenario baseWorld()
{
    fh::Scenario s;
    s.now = QDateTime::currentDateTimeUtc();
    qint64 id = 100;
    for (const char* login : {"me", "alice", "bob"}) {
        fh::User u;
        u.login = QString::fromLatin1(login);
        u.id = id++;
        u.name = u.login;
        u.tokens = {QStringLiteral("tok-") + u.login};
        s.users.append(u);
    }
    for (const char* name : {"api", "web"}) {
        fh::Repository r;
        r.id = id++;
        r.owner = QStringLiteral("acme");
        r.name = QString::fromLatin1(name);
        r.defaultBranch = QStringLiteral("main");
        r.createdAt = utc("2024-01-01T00:00:00Z");
        s.repositories.append(r);
    }
    s.nextId = 10'000;
    return s;
}

// An open pull request; its issue id is 1000 + number so tests can predict the record id "gh-<id>".
inline fh::PullRequest pull(const char* repo, qint64 number, const char* author,
                            const char* updated = "2026-12-01T10:00:00Z")
{
    fh::PullRequest p;
    p.id = 1000 + number;
    p.pullId = 5000 + number;
    p.repository = QString::fromLatin1(repo);
    p.number = number;
    p.title = QStringLiteral("PR %1").arg(number);
    p.author = QString::fromLatin1(author);
    p.state = QStringLiteral("open");
    p.createdAt = utc("2026-11-01T10:00:00Z");
    p.updatedAt = utc(updated);
    p.headSha = QStringLiteral("sha%1").arg(number);
    p.headRef = QStringLiteral("feature-%1").arg(number);
    p.baseRef = QStringLiteral("main");
    return p;
}

inline fh::Review review(const char* user, const char* state, const char* submitted, const char* body = "")
{
    fh::Review r;
    r.user = QString::fromLatin1(user);
    r.state = QString::fromLatin1(state);
    r.body = QString::fromUtf8(body);
    if (submitted)
        r.submittedAt = utc(submitted);
    return r;
}

inline fh::CheckRun checkRun(const char* name, const char* status, const char* conclusion)
{
    fh::CheckRun c;
    c.name = QString::fromLatin1(name);
    c.status = QString::fromLatin1(status);
    if (conclusion)
        c.conclusion = QString::fromLatin1(conclusion);
    return c;
}

// A deployment; `state` is its one status, or none when null.
inline fh::Deployment deployment(qint64 id, const char* env, const char* created, const char* state)
{
    fh::Deployment d;
    d.id = id;
    d.environment = QString::fromLatin1(env);
    d.ref = QStringLiteral("main");
    d.sha = QStringLiteral("abc");
    d.task = QStringLiteral("deploy");
    d.creator = QStringLiteral("alice");
    d.createdAt = utc(created);
    if (state) {
        fh::DeploymentStatus st;
        st.id = id * 10;
        st.state = QString::fromLatin1(state);
        st.createdAt = d.createdAt;
        d.statuses = {st};
    }
    return d;
}

inline fh::WorkflowRun workflowRun(qint64 id, const char* name, const char* created, const char* status,
                                   const char* conclusion)
{
    fh::WorkflowRun r;
    r.id = id;
    r.name = QString::fromLatin1(name);
    r.createdAt = utc(created);
    r.updatedAt = r.createdAt;
    r.status = QString::fromLatin1(status);
    if (conclusion)
        r.conclusion = QString::fromLatin1(conclusion);
    r.headBranch = QStringLiteral("main");
    r.headSha = QStringLiteral("abc");
    r.event = QStringLiteral("push");
    r.actor = QStringLiteral("alice");
    r.runNumber = id;
    return r;
}

} // namespace norvane::testing
