// The printer page's queue list on the private scheduler of the tests: the queues as CUPS lists
// them, each with its device, the line the page shows, and the spooler's default chosen.

#include <gtest/gtest.h>

#include <cups/cups.h>

#include "CaptureSupport.h"
#include "CupsSpooler.h"
#include "rules/PrinterRules.h"

namespace spx::test {
namespace {

class CupsPrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!capture.load())
            GTEST_SKIP() << "no private spooler (run through ctest)";
    }
    CaptureSpooler capture;
};

TEST_F(CupsPrinterTest, QueueListNamesTheCapturePrinterWithItsDevice)
{
    CupsSpooler spooler;
    std::vector<SpoolerQueue> queues;
    ASSERT_TRUE(spooler.listQueues(queues)) << spooler.lastErrorText();
    QueueList list = buildQueueList(queues, "%1 (%2)");
    ASSERT_FALSE(list.entries.empty());
    int found = -1;
    for (size_t i = 0; i < list.entries.size(); ++i)
        if (list.entries[i].name == capture.queue)
            found = int(i);
    ASSERT_GE(found, 0);
    const std::string device = "socket://127.0.0.1:" + std::to_string(capture.capturePort);
    EXPECT_EQ(list.entries[size_t(found)].text.rfind(capture.queue + " (" + device, 0), 0u)
        << list.entries[size_t(found)].text;
    // With nothing remembered, the scheduler's default destination is chosen when it names one.
    for (size_t i = 0; i < queues.size(); ++i)
        if (queues[i].isDefault)
            EXPECT_EQ(list.selected, int(i));
    EXPECT_EQ(buildQueueList(queues, "%1", capture.queue).selectedName(), capture.queue);
}

} // namespace
} // namespace spx::test
