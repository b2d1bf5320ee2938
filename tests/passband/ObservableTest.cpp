// The observer framework of the passband page: registration, notification,
// locking and nested notification.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "Editable.h"
#include "GridType.h"

namespace {

// Records every call into a shared journal under its name.
class Recorder : public Observer {
public:
    Recorder(std::vector<std::string>& journal, std::string name) : journal_(journal), name_(std::move(name)) {}
    void update() override
    {
        journal_.push_back(name_);
        if (onUpdate) onUpdate();
    }
    std::function<void()> onUpdate;

private:
    std::vector<std::string>& journal_;
    std::string name_;
};

TEST(Observable, observersRegisterOnceAndAreCalledInAddressOrder)
{
    std::vector<std::string> journal;
    // Array elements have ascending addresses; register them out of order.
    std::array<Recorder, 3> r{Recorder(journal, "a"), Recorder(journal, "b"), Recorder(journal, "c")};
    Observable subject;
    EXPECT_TRUE(subject.addObserver(r[2]));
    EXPECT_TRUE(subject.addObserver(r[0]));
    EXPECT_TRUE(subject.addObserver(r[1]));
    EXPECT_FALSE(subject.addObserver(r[0]));
    EXPECT_EQ(subject.observerCount(), 3u);

    subject.setChanged();
    subject.notifyAll();
    EXPECT_EQ(journal, (std::vector<std::string>{"a", "b", "c"}));

    EXPECT_TRUE(subject.removeObserver(r[1]));
    EXPECT_FALSE(subject.removeObserver(r[1]));
    journal.clear();
    subject.setChanged();
    subject.notifyAll();
    EXPECT_EQ(journal, (std::vector<std::string>{"a", "c"}));
}

TEST(Observable, notifiesOnlyAfterAChangeAndOnceForSeveralChanges)
{
    std::vector<std::string> journal;
    Recorder r(journal, "r");
    Observable subject;
    subject.addObserver(r);
    subject.notifyAll();
    EXPECT_TRUE(journal.empty());
    subject.setChanged();
    subject.setChanged();
    subject.notifyAll();
    subject.notifyAll();
    EXPECT_EQ(journal.size(), 1u);
    EXPECT_FALSE(subject.hasChanged());
}

TEST(Editable, setValueNotifiesOnlyRealChangesOfAnUnlockedProperty)
{
    std::vector<std::string> journal;
    Recorder valueObserver(journal, "value");
    Recorder lockObserver(journal, "lock");
    Editable<float> p(-30.0f);
    p.addObserver(valueObserver);
    p.lock().addObserver(lockObserver);

    p.setValue(-30.0f);
    EXPECT_TRUE(journal.empty());
    p.setValue(-25.5f);
    EXPECT_EQ(journal, std::vector<std::string>{"value"});
    EXPECT_EQ(p.value(), -25.5f);
    EXPECT_EQ(p.defaultValue(), -30.0f);

    journal.clear();
    p.setLocked(true);
    p.setLocked(true);
    EXPECT_EQ(journal, std::vector<std::string>{"lock"});
    p.setValue(-10.0f);
    EXPECT_EQ(p.value(), -25.5f);
    EXPECT_EQ(journal, std::vector<std::string>{"lock"});

    p.setLocked(false);
    p.setValue(-10.0f);
    EXPECT_EQ(journal, (std::vector<std::string>{"lock", "lock", "value"}));
}

TEST(Editable, keepsDefaultApartFromInitialValue)
{
    Editable<float> limit(200.0f, 0.0f);
    EXPECT_EQ(limit.value(), 200.0f);
    EXPECT_EQ(limit.defaultValue(), 0.0f);
    Editable<GridType> grid(GridType::Itu100GHz);
    grid.setValue(static_cast<GridType>(7));  // accepted; it simply has no grid
    EXPECT_EQ(static_cast<int>(grid.value()), 7);
}

TEST(Editable, observerMayChangeAnotherPropertyFromInsideUpdate)
{
    std::vector<std::string> journal;
    Editable<float> level(-1.0f);
    Editable<float> follower(0.0f);
    Recorder chained(journal, "level");
    Recorder downstream(journal, "follower");
    chained.onUpdate = [&] { follower.setValue(level.value() * 2.0f); };
    level.addObserver(chained);
    follower.addObserver(downstream);

    level.setValue(-3.0f);
    EXPECT_EQ(follower.value(), -6.0f);
    EXPECT_EQ(journal, (std::vector<std::string>{"level", "follower"}));
}

TEST(Editable, observerMaySetItsOwnSubjectAgainFromInsideUpdate)
{
    // The lock is re-entrant: a clamping observer writing back into the
    // property it observes must neither block nor lose the final value.
    std::vector<std::string> journal;
    Editable<float> p(0.0f);
    Recorder clamp(journal, "clamp");
    clamp.onUpdate = [&] {
        if (p.value() > 10.0f) p.setValue(10.0f);
    };
    p.addObserver(clamp);
    p.setValue(25.0f);
    EXPECT_EQ(p.value(), 10.0f);
    EXPECT_EQ(journal.size(), 2u);
}

TEST(Editable, observersRunWithoutThePropertysLock)
{
    // While an observer runs, another thread reads and sets the property it
    // observes and another one. Holding the lock during the notification
    // would keep that thread waiting until update returns (and two threads
    // setting two properties observed by one engine would deadlock).
    std::vector<std::string> journal;
    Editable<float> p(0.0f);
    Editable<float> q(0.0f);
    Recorder observer(journal, "p");
    std::future<float> other;
    std::future_status status = std::future_status::deferred;
    observer.onUpdate = [&] {
        if (other.valid()) return;
        other = std::async(std::launch::async, [&] {
            q.setValue(1.0f);
            p.setLocked(false);
            return p.value();
        });
        status = other.wait_for(std::chrono::seconds(5));
    };
    p.addObserver(observer);
    p.setValue(2.0f);
    EXPECT_EQ(status, std::future_status::ready);
    EXPECT_EQ(other.get(), 2.0f);
    EXPECT_EQ(q.value(), 1.0f);
}

TEST(Observable, observerRemovedDuringTheNotificationIsNotCalled)
{
    std::vector<std::string> journal;
    std::array<Recorder, 2> r{Recorder(journal, "a"), Recorder(journal, "b")};
    Observable subject;
    subject.addObserver(r[0]);
    subject.addObserver(r[1]);
    r[0].onUpdate = [&] { subject.removeObserver(r[1]); };
    subject.setChanged();
    subject.notifyAll();
    EXPECT_EQ(journal, std::vector<std::string>{"a"});
}

}  // namespace
