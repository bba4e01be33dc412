// The measurement module's settings sequences against the simulator, byte for byte, and a
// two-point calibration of a cell that the simulator then reads right.
#include "core/service/calibration.h"
#include "core/service/measure_settings_jobs.h"
#include "service_fixture.h"

namespace kapsorel::test {
namespace {

class MeasureSequences : public ServiceTest {
  public:
    MeasureImages readAll()
    {
        const auto images = readMeasureModule(measure);
        EXPECT_TRUE(images.ok()) << images.error();
        guard.markKnown(blocks::kMeasureModule);
        return images.ok() ? *images : MeasureImages{};
    }
};

TEST_F(MeasureSequences, WholeModuleReadTakesTheRecordsBetweenNetworkAndPortsOnOneConnection)
{
    startLog();
    const auto images = readMeasureModule(measure);
    ASSERT_TRUE(images.ok()) << images.error();
    std::vector<Bytes> expected{sr(53, 35)};
    for (std::uint16_t k = 0; k < 23; ++k)
        expected.push_back(sr(static_cast<std::uint16_t>(200 + 8 * k), 8));
    expected.push_back(sr(120, 23));
    EXPECT_EQ(sim.frames("measure"), expected);
    EXPECT_EQ(newConnections("measure"), 1u);
    EXPECT_EQ(images->cells.records[21].constant, 0.01f);
}

TEST_F(MeasureSequences, WholeModuleWriteUsesTwoConnectionsAndTheLastRecordCarriesParameter1)
{
    const MeasureImages images = readAll();
    startLog();
    const auto written =
        writeMeasureModule(measure, gate, networkFields(images.network), portsFields(images.ports), images);
    ASSERT_TRUE(written.ok()) << written.error();
    Bytes ports = images.ports.encode();
    ports.resize(13);
    std::vector<Bytes> expected{sw(53, 0, images.network.encode()), sw(120, 0, ports)};
    for (std::uint16_t k = 0; k < 23; ++k)
        expected.push_back(
            sw(static_cast<std::uint16_t>(200 + 8 * k), k == 22 ? 1 : 0, images.cells.records[k].encode()));
    EXPECT_EQ(sim.frames("measure"), expected);
    EXPECT_EQ(newConnections("measure"), 2u);
}

TEST_F(MeasureSequences, CellBatchesRunOverTheSelectedRowsAndTheLastOneCloses)
{
    readAll();
    CellGrid grid;
    grid[2].selected = grid[6].selected = true; // rows 3 and 7
    startLog();
    auto read = readCellRecords(measure, grid);
    ASSERT_TRUE(read.ok()) << read.error();
    EXPECT_EQ(sim.frames("measure"), (std::vector<Bytes>{sr(216, 8), sr(248, 8)}));
    EXPECT_EQ(newConnections("measure"), 1u);
    startLog();
    ASSERT_TRUE(writeCellRecords(measure, gate, *read).ok());
    EXPECT_EQ(sim.frames("measure"), (std::vector<Bytes>{sw(216, 0, recordFromRow((*read)[2]).encode()),
                                                         sw(248, 1, recordFromRow((*read)[6]).encode())}));
    startLog();
    ASSERT_TRUE(readCellRaw(measure, *read, true).ok());
    ASSERT_TRUE(readCellVoltages(measure, *read).ok());
    EXPECT_EQ(sim.frames("measure"),
              (std::vector<Bytes>{frame('M', 'n', 0, {2}), frame('M', 'n', 0, {6}), frame('M', 'S', 0)}));
    EXPECT_EQ(newConnections("measure"), 2u);
    // An empty "Adr." in the last row stops the batch before its first write.
    CellGrid bad = *read;
    bad[6].address.reset();
    startLog();
    const auto refused = writeCellRecords(measure, gate, bad);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(), "Adr je prazdna");
    EXPECT_TRUE(sim.frames("measure").empty());
}

TEST_F(MeasureSequences, PagesSendTheirExactRequests)
{
    const MeasureImages images = readAll();
    const AdcRecord r21 = images.cells.records[21];
    const AdcRecord r22 = images.cells.records[22];
    startLog();
    EXPECT_TRUE(readUnsignedRaw(measure, 20).ok());
    EXPECT_TRUE(measureChannel(measure, 21).ok());
    EXPECT_TRUE(readBatteryRecord(measure).ok());
    EXPECT_TRUE(writeBatteryRecord(measure, gate, images.cells.records[20]).ok());
    EXPECT_TRUE(readMeasureInsulation(measure).ok());
    EXPECT_TRUE(writeMeasureInsulation(measure, gate, r21, r22).ok());
    EXPECT_TRUE(readTemperature(measure).ok());
    EXPECT_TRUE(readHeadType(measure).ok());
    guard.markKnown(blocks::kMeasureHeadType); // as the window does after the read
    EXPECT_TRUE(writeHeadType(measure, gate, 4).ok());
    EXPECT_EQ(*readHeadType(measure), 4);
    EXPECT_EQ(sim.frames("measure"),
              (std::vector<Bytes>{frame('M', 'z', 0, {20}), frame('M', 'N', 0, {21}), sr(360, 8),
                                  sw(360, 1, images.cells.records[20].encode()), sr(368, 8), sr(376, 8),
                                  sw(368, 0, r21.encode()), sw(376, 1, r22.encode()), frame('T', 'T', 0),
                                  frame('T', 'h', 0), frame('T', 'H', 0, {4}), frame('T', 'h', 0)}));
    EXPECT_EQ(newConnections("measure"), 10u);
}

TEST_F(MeasureSequences, TheHeadTypeIsWrittenOnlyOnceRead)
{
    readAll(); // every block of the module, but not the head type
    startLog();
    const Status unread = writeHeadType(measure, gate, 0);
    ASSERT_FALSE(unread.ok());
    EXPECT_NE(unread.error().find("typ hlavy měřícího modulu"), std::string::npos) << unread.error();
    EXPECT_TRUE(sim.frames("measure").empty()) << "no TH 00 before anything was read";
    EXPECT_EQ(newConnections("measure"), 0u);
}

TEST_F(MeasureSequences, TwoPointCalibrationOfACellMakesTheModuleReadTheReference)
{
    // Cell 1's ADC hardware differs from its factory record.
    ASSERT_EQ(sim.command("adc measure 0 100 0.0001"), "OK");
    ASSERT_EQ(sim.command("set cell 1 1.5"), "OK");
    EXPECT_GT(std::abs(*measureChannel(measure, 0) - 1.5f), 0.1f) << "miscalibrated before";
    readAll();
    CellGrid grid;
    grid[0].selected = true;
    fillSelected(grid, CellColumn::VMin, 1.0);
    fillSelected(grid, CellColumn::VMax, 1.5);
    auto read = readCellRecords(measure, grid);
    ASSERT_TRUE(read.ok());
    ASSERT_EQ(sim.command("set cell 1 1.0"), "OK");
    auto low = readCellRaw(measure, *read, false);
    ASSERT_TRUE(low.ok());
    ASSERT_EQ(sim.command("set cell 1 1.5"), "OK");
    auto high = readCellRaw(measure, *low, true);
    ASSERT_TRUE(high.ok());
    const auto calibrated = calibrateSelectedCells(*high);
    ASSERT_TRUE(calibrated.status.ok()) << calibrated.status.error();
    ASSERT_TRUE(writeCellRecords(measure, gate, calibrated.grid).ok());
    for (double volts : {1.5, 1.0, 1.25}) {
        ASSERT_EQ(sim.command("set cell 1 " + std::to_string(volts)), "OK");
        EXPECT_NEAR(*measureChannel(measure, 0), volts, 1e-4) << volts;
    }
}

} // namespace
} // namespace kapsorel::test
