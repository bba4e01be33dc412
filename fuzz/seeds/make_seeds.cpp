// kapsorel-fuzz-seeds FOLDER: writes valid starting inputs for the fuzz targets, one
// folder per target named as its corpus folder (fuzz/corpus/<target without fuzz_>).
// The files come from the core writers and the demo definitions, so each target starts
// from inputs its reader accepts. Used to renew the committed corpus: write the seeds
// into an empty folder, fuzz from there and merge into fuzz/corpus (fuzz/fuzz-corpus renew).
#include "core/app/config_file.h"
#include "core/app/station_settings.h"
#include "core/app/user_list.h"
#include "core/base/bytes.h"
#include "core/base/files.h"
#include "core/comm/module_frame.h"
#include "core/comm/status_decoders.h"
#include "core/definitions/battery_type.h"
#include "core/definitions/procedure_file.h"
#include "core/definitions/procedure_index.h"
#include "core/records/battery_test_records.h"
#include "core/reports/report_texts.h"
#include "core/service/settings_file.h"
#include "demo_definitions.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace kapsorel;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

bool failed = false;

void put(const fs::path& folder, const std::string& name, const Bytes& bytes)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (Status st = writeFileRetrying(folder / name, bytes); !st) {
        std::fprintf(stderr, "%s\n", st.error().c_str());
        failed = true;
    }
}

template <typename T> Bytes valueOf(const Result<T>& r)
{
    if (!r) {
        std::fprintf(stderr, "%s\n", r.error().c_str());
        failed = true;
        return {};
    }
    return r.value();
}

// --- definitions ---------------------------------------------------------------------

void definitionSeeds(const fs::path& out)
{
    const auto types = demo::demoBatteryTypes();
    put(out / "battery_reader", "demo.cfg", valueOf(serializeBatteryFile(types)));
    put(out / "battery_reader", "one-type.cfg", valueOf(serializeBatteryFile({types.front()})));
    put(out / "battery_reader", "empty.cfg", valueOf(serializeBatteryFile({})));

    const auto procedures = demo::demoProcedures();
    std::vector<ProcedureIndexEntry> index;
    for (const auto& p : procedures) {
        index.push_back(p.entry);
        put(out / "procedure_reader", "demo-" + std::to_string(p.entry.number) + ".psp",
            valueOf(serializeProcedure(p.procedure)));
    }
    put(out / "procedure_index_reader", "demo.idx", serializeProcedureIndex(index));
    put(out / "procedure_index_reader", "one-entry.idx", serializeProcedureIndex({index.front()}));
}

// --- report texts --------------------------------------------------------------------

void reportTextSeeds(const fs::path& out)
{
    const std::vector<ReportText> texts = {
        {"P0", 1, "Kapacitní zkouška", ReportTextPosition::Page, 10, 20},
        {"P1", 255, std::string(200, 'x'), ReportTextPosition::Title, 0, 65535},
        {"P2", 0, "", ReportTextPosition::Note, 3, 4},
    };
    put(out / "report_texts_reader", "three.cfg", valueOf(encodeReportTexts(texts)));
    put(out / "report_texts_reader", "empty.cfg", valueOf(encodeReportTexts({})));
    put(out / "user_list_reader", "two.usr", encodeUserList({"Novák", "Dvořák"}));
}

// --- configuration -------------------------------------------------------------------

void configSeeds(const fs::path& out)
{
    ConfigFile fresh;
    saveStationSettings(fresh, defaultStationSettings("/home/stanice"));
    writeLastTest(fresh, "/home/stanice/Data/1234_240305_070900.tst", false);
    put(out / "config_reader", "defaults.ini", fresh.toBytes());

    // A file kept in Windows-1250 with CRLF line ends, as older stations have it.
    const std::string cp1250 = "[Nastaveni]\r\nStanice=M\xec\xf8\xed"
                               "c\xed stanice\r\nUziv=Nov\xe1k\r\nDNB_OK_MIN=105\r\nBOST0=-16777203\r\n"
                               "TCP_Port_vyk=10001\r\n[RUN]\r\nTest=C:\\Data\\\x9a"
                               "1.tst\r\nTest_ukoncen=1\r\n";
    put(out / "config_reader", "cp1250-crlf.ini", Bytes(cp1250.begin(), cp1250.end()));

    const std::string bom = "\xef\xbb\xbf[nastaveni]\nIP_adr_vyk=127.0.0.2\nIKONY=2\nExpert=9\n; pozn\xc3\xa1mka\n"
                            "[Jine]\nK=1";
    put(out / "config_reader", "bom-no-final-newline.ini", Bytes(bom.begin(), bom.end()));
}

// --- module frames ---------------------------------------------------------------------

Bytes frameBytes(const ModuleFrame& f)
{
    return Bytes(f.bytes.begin(), f.bytes.begin() + static_cast<std::ptrdiff_t>(f.wireSize()));
}

void frameSeeds(const fs::path& out)
{
    const fs::path dir = out / "module_frame";

    ModuleFrame power;
    power.setCommand('M', 'S');
    power.setParam(7);
    power.putU8(0, 0);
    power.putSingle(1, 12.5f);
    power.putSingle(5, 27.6f);
    power.putSingle(9, 30.1f);
    power.putSingle(21, 24.0f);
    power.putU8(25, 3);
    power.putU8(26, 5);
    power.putU8(29, 9);
    power.putU16(30, 0x8013);
    power.setPayloadLength(35);
    put(dir, "power-status.bin", frameBytes(power));

    ModuleFrame meas;
    meas.setCommand('M', 'S');
    for (std::size_t i = 0; i < 20; ++i)
        meas.putSingle(4 * i, 1.2f + 0.01f * static_cast<float>(i));
    meas.putSingle(80, 26.4f);
    meas.putSingle(92, 22.5f);
    meas.putU8(96, 200);
    meas.setPayloadLength(97);
    put(dir, "measurement-status.bin", frameBytes(meas));

    // A request without payload followed by a full-size answer, as one stream.
    StatusBuffer request{};
    fillStatusRequest(request);
    ModuleFrame full;
    full.setCommand('P', 'R');
    for (std::size_t i = 0; i < kFramePayloadCapacity; ++i)
        full.putU8(i, static_cast<std::uint8_t>(i));
    full.setPayloadLength(static_cast<std::uint16_t>(kFramePayloadCapacity));
    Bytes stream(request.begin(), request.begin() + static_cast<std::ptrdiff_t>(kFrameHeaderSize));
    const Bytes answer = frameBytes(full);
    stream.insert(stream.end(), answer.begin(), answer.end());
    put(dir, "request-then-answer.bin", stream);

    // A header that announces more payload than a buffer holds.
    const Bytes oversized = {kFrameStart, 'M', 'S', 0, 0xff, 0x7f, 1, 2, 3};
    put(dir, "oversized-length.bin", oversized);
}

// --- test files --------------------------------------------------------------------------

BatteryTestHeader header(std::uint8_t steps)
{
    BatteryTestHeader h;
    h.stepCount = steps;
    h.start = 45356.296527777777; // 05.03.2024 7:07
    h.operatorName = "Novák";
    h.stationName = "Stanice 1";
    h.batteryNumber = "1234";
    h.batteryType = "20KSX25";
    h.procedureName = "Kapacitní zkouška";
    h.note = "Zkouška po opravě";
    return h;
}

StepResult startedStep(std::uint8_t type, std::uint8_t status, double start)
{
    StepResult s;
    s.start = start;
    s.stepType = type;
    s.status = status;
    s.voltage = 26.1f;
    s.current = -12.5f;
    s.capacity = 3.2f;
    for (std::size_t i = 0; i < s.cells.size(); ++i)
        s.cells[i] = 1.25f + 0.005f * static_cast<float>(i);
    s.printNumber = 1;
    s.repNumber = 2;
    s.description = "Vybíjení";
    s.parameter1 = 25.0f;
    return s;
}

SampleRecord sample(std::uint8_t step, double time, float voltage)
{
    SampleRecord s;
    s.time = time;
    s.step = step;
    s.voltage = voltage;
    s.current = -25.0f;
    s.capacity = 1.5f;
    s.temperature = 23.0f;
    for (std::size_t i = 0; i < s.cells.size(); ++i)
        s.cells[i] = voltage / 20.0f;
    return s;
}

// Head of a file of `version`; from version 3 on the reserved block and the variables.
ByteWriter testHead(std::uint8_t version, const std::vector<StepResult>& steps)
{
    ByteWriter w;
    w.u8(version);
    w.u8(1);
    w.bytes([&] {
        ByteWriter h;
        writeTestHeader(h, header(static_cast<std::uint8_t>(steps.size())));
        return h.take();
    }());
    for (const auto& s : steps)
        writeStepResult(w, s);
    if (version >= 3) {
        w.zeros(test_file_layout::kReservedSize);
        w.u8(test_file_layout::kVariables);
        for (std::uint8_t v = 0; v < test_file_layout::kVariables; ++v)
            w.u8(static_cast<std::uint8_t>(v * 3));
    }
    return w;
}

// A tail record in `version`'s size: before version 4 samples have no capacity and
// every record is 101 bytes.
Bytes tailRecord(std::uint8_t version, const TailRecord& rec)
{
    ByteWriter w;
    if (const auto* s = std::get_if<SampleRecord>(&rec))
        writeSampleRecord(w, *s);
    else if (const auto* m = std::get_if<InterruptionMarker>(&rec))
        writeInterruptionMarker(w, *m);
    else
        writeResumeRecord(w, std::get<ResumeEntry>(rec));
    Bytes b = w.take();
    if (version < 4) {
        if (std::holds_alternative<SampleRecord>(rec))
            b.erase(b.begin() + 17, b.begin() + 21); // the capacity
        else
            b.resize(test_file_layout::kOldTailSize);
    }
    return b;
}

Bytes testFile(std::uint8_t version, const std::vector<StepResult>& steps, const std::vector<TailRecord>& tail)
{
    ByteWriter w = testHead(version, steps);
    for (const auto& rec : tail)
        w.bytes(tailRecord(version, rec));
    return w.take();
}

void testFileSeeds(const fs::path& out)
{
    const fs::path dir = out / "battery_test_reader";
    const double t0 = header(0).start;
    const double minute = 1.0 / 1440.0;

    put(dir, "v4-created.tst", testFile(4, std::vector<StepResult>(3, StepResult::notStarted()), {}));

    const std::vector<StepResult> run = {startedStep(2, test_file_layout::kEndedPerformed, t0),
                                         startedStep(1, test_file_layout::kStartedPerformed, t0 + 30 * minute),
                                         StepResult::notStarted()};
    const std::vector<TailRecord> tail = {
        sample(0, t0 + minute, 27.0f),
        sample(0, t0 + 2 * minute, 26.5f),
        sample(1, t0 + 31 * minute, 25.9f),
        InterruptionMarker{3},
        ResumeEntry{t0 + 40 * minute, 1, t0 + 32 * minute, 3},
        sample(1, t0 + 41 * minute, 25.1f),
    };
    put(dir, "v4-interrupted-resumed.tst", testFile(4, run, tail));
    put(dir, "v3-samples.tst", testFile(3, run, tail));
    put(dir, "v2-samples.tst", testFile(2, run, {tail[0], tail[2], tail[3]}));

    // A record of a step the test does not have, and half a record at the end.
    Bytes cut = testFile(4, run, {sample(0, t0 + minute, 27.0f), sample(7, t0 + 2 * minute, 26.0f)});
    const Bytes half = tailRecord(4, sample(1, t0 + 3 * minute, 25.0f));
    cut.insert(cut.end(), half.begin(), half.begin() + 50);
    put(dir, "v4-foreign-step-cut-record.tst", cut);
}

// --- module settings files ----------------------------------------------------------------

// Images with every byte set, all below 0x7F so that no float in them is a NaN.
template <class Block> Block filledBlock(unsigned seed)
{
    Bytes raw(Block::kSize);
    for (std::size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<std::uint8_t>(1 + (seed + i * 5) % 120);
    auto block = Block::decode(raw);
    if (!block) {
        std::fprintf(stderr, "%s\n", block.error().c_str());
        failed = true;
        return Block{};
    }
    return block.value();
}

void settingsFileSeeds(const fs::path& out)
{
    const fs::path dir = out / "settings_file_reader";
    const PowerImages power{filledBlock<NetworkBlock>(1), filledBlock<PortsBlock>(2),
                            filledBlock<PowerSettingsBlock>(3), filledBlock<PowerAdcImage>(4),
                            filledBlock<SectionsBlock>(5)};
    const MeasureImages measure{filledBlock<NetworkBlock>(6), filledBlock<PortsBlock>(7), filledBlock<CellAdcTable>(8)};

    put(dir, "power-only.bts", valueOf(freshSettingsImage({power, std::nullopt})));
    put(dir, "measurement-only.bts", valueOf(freshSettingsImage({std::nullopt, measure})));
    put(dir, "power-first.bts", valueOf(freshSettingsImage({power, measure})));
    const Bytes measureOnly = valueOf(freshSettingsImage({std::nullopt, measure}));
    const Bytes measureFirst = valueOf(updatedSettingsImage(measureOnly, {power, std::nullopt}));
    put(dir, "measurement-first.bts", measureFirst);
    // The second section cut short.
    put(dir, "measurement-first-cut.bts", Bytes(measureFirst.begin(), measureFirst.begin() + 300));
}

// Firmware files: ".BIN" files with and without a header, one with nothing after its key,
// one whose key is cut, and a ".HEX" text.
void firmwareSeeds(const fs::path& out)
{
    const fs::path dir = out / "firmware_reader";
    Bytes withHeader{4, 'F', 'W', '0', '1', 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    for (std::size_t i = 0; i < 600; ++i)
        withHeader.push_back(static_cast<std::uint8_t>(i * 13));
    put(dir, "header-600.bin", withHeader);
    put(dir, "no-header.bin", Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8, 0xAA, 0xBB, 0xCC});
    put(dir, "nothing-after-key.bin", Bytes{1, 0xEE, 1, 2, 3, 4, 5, 6, 7, 8});
    put(dir, "key-cut.bin", Bytes{2, 0xEE, 0xEE, 1, 2, 3});
    const std::string hex = ":020000040000FA\r\n:10000000000102030405060708090A0B0C0D0E0F78\r\n:00000001FF\r\n";
    put(dir, "image.hex", Bytes(hex.begin(), hex.end()));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const fs::path out = argv[1];
    definitionSeeds(out);
    reportTextSeeds(out);
    configSeeds(out);
    frameSeeds(out);
    testFileSeeds(out);
    settingsFileSeeds(out);
    firmwareSeeds(out);
    return failed ? 1 : 0;
}
