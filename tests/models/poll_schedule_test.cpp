#include "models/poll_schedule.h"
#include "models/pr_model_fixture.h"

#include <QSignalSpy>
#include <QTest>

using namespace norvane;
using namespace norvane::testing;

namespace {

class PollScheduleTest : public ::testing::Test
{
protected:
    PollSchedule& make(std::optional<QString> override = std::nullopt, bool debug = false)
    {
        auto manual = std::make_unique<ManualPollingTimer>();
        timer = manual.get();
        schedule = std::make_unique<PollSchedule>(
            PollSchedule::Options{std::move(manual), override, debug, 20, [this] { return clock; }, 20});
        QObject::connect(schedule.get(), &PollSchedule::pollDue, [this] { ++polls; });
        QObject::connect(schedule.get(), &PollSchedule::catchUpDue, [this] { ++catchUps; });
        QObject::connect(schedule.get(), &PollSchedule::pausesChanged, [this] { ++pauseChanges; });
        return *schedule;
    }

    QDateTime clock = QDateTime::currentDateTimeUtc();
    ManualPollingTimer* timer = nullptr;
    std::unique_ptr<PollSchedule> schedule;
    int polls = 0;
    int catchUps = 0;
    int pauseChanges = 0;
};

} // namespace

TEST_F(PollScheduleTest, TheIntervalNeverFallsUnderASecond)
{
    struct Case
    {
        std::optional<QString> override;
        bool debug;
        int minutes;
        double expected;
    };
    const Case cases[] = {
        {u"2.5"_s, false, 15, 2.5},       {u"1"_s, true, 15, 1.0},        {u"0.5"_s, false, 10, 600.0},
        {u"0"_s, false, 10, 600.0},       {u"-3"_s, true, 10, 15.0},      {u"nan"_s, false, 10, 600.0},
        {u"inf"_s, false, 10, 600.0},     {u" 5"_s, false, 10, 600.0},    {u"five"_s, false, 10, 600.0},
        {std::nullopt, true, 10, 15.0},   {std::nullopt, false, 1, 60.0}, {std::nullopt, false, 0, 900.0},
        {std::nullopt, false, -5, 900.0},
    };
    for (const Case& c : cases) {
        PollSchedule& s = make(c.override, c.debug);
        EXPECT_DOUBLE_EQ(s.interval(NotificationSettings{true, true, true, c.minutes}), c.expected)
            << c.override.value_or(u"-"_s).toStdString() << " " << c.minutes;
    }
}

TEST_F(PollScheduleTest, APauseHoldsItsAccountUntilItsTime)
{
    PollSchedule& s = make();
    const QUuid me = QUuid::createUuid();
    const QUuid other = QUuid::createUuid();
    const QDateTime until = clock.addSecs(600);
    s.setPaused(me, until);
    s.setPaused(me, until);
    EXPECT_EQ(pauseChanges, 1) << "the same pause again changes nothing";
    EXPECT_EQ(s.pausedUntil(me), until);
    EXPECT_EQ(s.pausedUntil(other), std::nullopt);

    for (const auto& [secondsFromNow, paused] : {std::pair{599, true}, std::pair{600, false}}) {
        clock = until.addSecs(secondsFromNow - 600);
        EXPECT_EQ(s.isPaused(me), paused) << secondsFromNow;
        EXPECT_EQ(s.pauseNotice(me).has_value(), paused) << secondsFromNow;
        EXPECT_FALSE(s.isPaused(other));
    }
    // (The notice's words and its time to the minute: the rate-limit line's test.)
    s.setPaused(me, std::nullopt);
    EXPECT_EQ(pauseChanges, 2);
    EXPECT_FALSE(s.pausedUntil(me).has_value());
}

TEST_F(PollScheduleTest, APauseEndsByItselfWhenItsTimeComes)
{
    PollSchedule& s = make();
    const QUuid soon = QUuid::createUuid();
    const QUuid later = QUuid::createUuid();
    clock = QDateTime::currentDateTimeUtc();
    s.setPaused(soon, clock.addMSecs(50));
    s.setPaused(later, clock.addSecs(3000));
    clock = clock.addMSecs(60); // the engine's clock and the timer's agree that the first is over
    ASSERT_TRUE(waitUntil([&] { return !s.pausedUntil(soon); }));
    EXPECT_TRUE(s.pausedUntil(later).has_value());
    EXPECT_EQ(pauseChanges, 3);
}

TEST_F(PollScheduleTest, WakingOrComingBackOnlineCatchesUpOnce)
{
    struct Case
    {
        const char* name;
        std::function<void(PollSchedule&)> events;
        int catchUps;
    };
    const Case cases[] = {
        {"back online",
         [](PollSchedule& s) {
             s.setNetworkOnline(false);
             s.setNetworkOnline(true);
         },
         1},
        {"woke", [](PollSchedule& s) { s.systemResumed(); }, 1},
        {"woke, then back online",
         [](PollSchedule& s) {
             s.setNetworkOnline(false);
             s.systemResumed();
             s.setNetworkOnline(true);
         },
         1},
        {"woke offline",
         [](PollSchedule& s) {
             s.setNetworkOnline(false);
             s.systemResumed();
         },
         0},
        {"online again, then gone",
         [](PollSchedule& s) {
             s.setNetworkOnline(false);
             s.setNetworkOnline(true);
             s.setNetworkOnline(false);
         },
         0},
        {"online twice",
         [](PollSchedule& s) {
             s.setNetworkOnline(true);
             s.setNetworkOnline(true);
         },
         0},
        {"woke, the catch-up failed twice: one more try",
         [](PollSchedule& s) {
             s.systemResumed();
             s.catchUpEnded(false);
             s.catchUpEnded(false);
         },
         2},
        {"the catch-up failed, then offline: the return brings the next",
         [](PollSchedule& s) {
             s.systemResumed();
             s.catchUpEnded(false);
             s.setNetworkOnline(false);
         },
         0},
    };
    for (const Case& c : cases) {
        catchUps = 0;
        PollSchedule& s = make();
        c.events(s);
        QTest::qWait(80);
        EXPECT_EQ(catchUps, c.catchUps) << c.name;
    }
}
