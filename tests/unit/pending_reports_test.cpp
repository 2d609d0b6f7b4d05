#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "app/pending_reports.h"
#include "app/records.h"
#include "unit/memory_sink.h"

namespace {

// A read the test ends by hand.
class FakeRead : public AddressRead {
public:
    bool finished() override { return ended; }
    std::optional<SiteRecord> site() override { return result; }

    bool ended = false;
    std::optional<SiteRecord> result;
};

// Records carry the time of their change: a tick in milliseconds stands for the clock then.
AppRecord app(const std::string& title, std::uint64_t tick) {
    return {"C:\\b\\browser.exe", "Browser", title, tick * 10000};
}
std::string appBytes(const std::string& title, std::uint64_t tick) {
    return formatAppRecord(app(title, tick), true);
}
std::string siteBytes(const std::string& url, const std::string& title, std::uint64_t tick) {
    return formatSiteRecord(app(title, tick), SiteRecord{url, title}, true);
}

class PendingReportsTest : public ::testing::Test {
protected:
    void SetUp() override { setRecordTimes(true); }
    void TearDown() override { setRecordTimes(false); }
    // A report of the change at `tick`; with `read`, one that waits for it `boundMs`.
    void add(const std::string& title, std::uint64_t tick,
             std::shared_ptr<FakeRead> read = nullptr, DWORD boundMs = 0,
             std::optional<SiteRecord> timedOut = std::nullopt, std::string leading = {}) {
        reports.add({nullptr, tick, app(title, tick), std::move(leading), std::move(read),
                     tick + boundMs, std::move(timedOut)});
    }

    PendingReports reports;
    unit::MemorySink out;
};

// The changes that come while a browser's address is read wait behind it, and follow it at once,
// each with the time of its own change and its own leading line.
TEST_F(PendingReportsTest, ReportsBehindAReadFollowItInTheOrderOfTheChanges) {
    auto read = std::make_shared<FakeRead>();
    add("first", 1000);
    add("browser", 1010, read, 1500);
    add("second", 1110);
    add("third", 1310, nullptr, 0, std::nullopt, "GetUserName error\n");
    reports.writeReady(1310, out);
    EXPECT_EQ(out.content(), appBytes("first", 1000));
    read->ended = true;
    read->result = SiteRecord{"example.com/", "browser"};
    reports.writeReady(1320, out);
    EXPECT_EQ(out.content(), appBytes("first", 1000) + siteBytes("example.com/", "browser", 1010) +
                                 appBytes("second", 1110) + "GetUserName error\n" +
                                 appBytes("third", 1310));
}

// A read that has not ended by its deadline is given up: the record a failed read gives, at the
// deadline and not a tick before; a read that ends without an address gives an application
// record; a title change behind a read is a record of its own with the title of its moment.
TEST_F(PendingReportsTest, AReadIsGivenUpAtItsDeadlineWithTheFailedReadsRecord) {
    auto hung = std::make_shared<FakeRead>();
    auto failed = std::make_shared<FakeRead>();
    add("hung", 100, hung, 1500);
    add("hung, new title", 900, failed, 1500);
    add("omnibox", 1000, std::make_shared<FakeRead>(), 500, SiteRecord{"", "omnibox"});
    failed->ended = true;  // no address
    reports.writeReady(1599, out);
    EXPECT_EQ(out.content(), "");
    reports.writeReady(1600, out);
    const std::string written = appBytes("hung", 100) + appBytes("hung, new title", 900) +
                                siteBytes("", "omnibox", 1000);
    EXPECT_EQ(out.content(), written);
    EXPECT_TRUE(reports.empty());
    hung->ended = true;  // too late: nothing more
    reports.writeReady(1700, out);
    EXPECT_EQ(out.content(), written);
}

}  // namespace
