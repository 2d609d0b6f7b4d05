#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "app/pending_reports.h"
#include "app/records.h"
#include "unit/memory_sink.h"
#include "util/scope_exit.h"

namespace {

// A read the test ends by hand.
class FakeRead : public AddressRead {
public:
    bool finished() override { return ended; }
    std::optional<SiteRecord> site() override { return result; }

    bool ended = false;
    std::optional<SiteRecord> result;
};

// The record's time is the change's: a tick in milliseconds stands for the clock then.
AppRecord app(const std::string& title, std::uint64_t tick = 0) {
    return {"C:\\b\\browser.exe", "Browser", title, tick * 10000};
}

PendingReport appReport(const std::string& title, std::uint64_t tick) {
    PendingReport report;
    report.changeTick = tick;
    report.app = app(title, tick);
    return report;
}

PendingReport browserReport(const std::string& title, std::uint64_t tick,
                            std::shared_ptr<FakeRead> read, DWORD boundMs,
                            std::optional<SiteRecord> timedOut = std::nullopt) {
    PendingReport report = appReport(title, tick);
    report.read = std::move(read);
    report.deadline = tick + boundMs;
    report.timedOutSite = std::move(timedOut);
    return report;
}

std::string appBytes(const std::string& title, std::uint64_t tick = 0) {
    return formatAppRecord(app(title, tick), recordsCarryTimes());
}
std::string siteBytes(const std::string& url, const std::string& title, std::uint64_t tick = 0) {
    return formatSiteRecord(app(title, tick), SiteRecord{url, title}, recordsCarryTimes());
}

class PendingReportsTest : public ::testing::Test {
protected:
    PendingReports reports;
    unit::MemorySink out;
};

// The changes that come while a browser's address is read wait behind it, and follow it at once,
// each with the time of its change.
TEST_F(PendingReportsTest, ReportsBehindAReadFollowItInTheOrderOfTheChanges) {
    setRecordTimes(true);
    auto timesOff = lookout::scope_exit([] { setRecordTimes(false); });
    auto read = std::make_shared<FakeRead>();
    reports.add(appReport("first", 1000));
    reports.add(browserReport("browser", 1010, read, 1500));
    reports.add(appReport("second", 1110));
    PendingReport third = appReport("third", 1310);
    third.leadingLines = "GetUserName error\n";  // goes with its own record, not earlier
    reports.add(std::move(third));
    reports.writeReady(1310, out);
    EXPECT_EQ(out.content(), appBytes("first", 1000));
    read->ended = true;
    read->result = SiteRecord{"example.com/", "browser"};
    reports.writeReady(1320, out);
    EXPECT_EQ(out.content(), appBytes("first", 1000) + siteBytes("example.com/", "browser", 1010) +
                                 appBytes("second", 1110) + "GetUserName error\n" +
                                 appBytes("third", 1310));
    EXPECT_TRUE(reports.empty());
}

// A read that has not ended by its deadline is given up: the record a failed read gives, at the
// deadline and not a tick before; a read that ends without an address gives an application
// record; a title change behind a read is a record of its own with the title of its moment.
TEST_F(PendingReportsTest, AReadIsGivenUpAtItsDeadlineWithTheFailedReadsRecord) {
    auto hung = std::make_shared<FakeRead>();
    auto failed = std::make_shared<FakeRead>();
    auto text = std::make_shared<FakeRead>();
    reports.add(browserReport("hung", 100, hung, 1500));
    reports.add(browserReport("hung, new title", 900, failed, 1500));
    reports.add(browserReport("omnibox", 1000, text, 500, SiteRecord{"", "omnibox"}));
    failed->ended = true;  // no address: an application record
    reports.writeReady(1599, out);
    EXPECT_EQ(out.content(), "");
    reports.writeReady(1600, out);
    EXPECT_EQ(out.content(), appBytes("hung") + appBytes("hung, new title") +
                                 siteBytes("", "omnibox"));
    EXPECT_TRUE(reports.empty());
    hung->ended = true;  // too late: nothing more
    reports.writeReady(1700, out);
    EXPECT_EQ(out.content(), appBytes("hung") + appBytes("hung, new title") +
                                 siteBytes("", "omnibox"));
}

}  // namespace
