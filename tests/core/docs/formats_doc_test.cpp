// docs/formats.md against the code: every marked table is gap-free and as large as the code's
// own record, every marked number is the code's, and the records the code writes hold their
// fields at the documented offsets.
#include "core/app/user_list.h"
#include "core/base/bytes.h"
#include "core/comm/module_frame.h"
#include "core/definitions/battery_type.h"
#include "core/definitions/procedure.h"
#include "core/definitions/procedure_index.h"
#include "core/records/battery_test_records.h"
#include "core/service/adc_records.h"
#include "core/service/settings_blocks.h"
#include "core/service/settings_file.h"
#include "support/build_paths.h"

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace kapsorel {
namespace {

struct DocRow {
    std::size_t offset = 0;
    std::size_t size = 0;
    std::string type;
    std::string meaning;
};

struct DocLayout {
    std::size_t size = 0;
    std::vector<DocRow> rows;
};

struct FormatsDoc {
    std::map<std::string, DocLayout> layouts;
    std::map<std::string, std::size_t> values;
};

std::string trim(const std::string& s)
{
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> cells(const std::string& line)
{
    std::vector<std::string> out;
    std::stringstream in(line.substr(1));
    std::string cell;
    while (std::getline(in, cell, '|')) {
        out.push_back(trim(cell));
    }
    return out;
}

FormatsDoc readFormatsDoc()
{
    std::ifstream in(test::sourceDir() / "docs" / "formats.md");
    EXPECT_TRUE(in.good()) << "docs/formats.md missing";
    const std::regex layoutMarker(R"(^<!-- layout: (\w+) (\d+) -->$)");
    const std::regex valueMarker(R"(^<!-- value: (\w+) (\d+) -->$)");
    FormatsDoc doc;
    DocLayout* open = nullptr;
    std::string line;
    while (std::getline(in, line)) {
        std::smatch m;
        if (std::regex_match(line, m, layoutMarker)) {
            EXPECT_FALSE(doc.layouts.contains(m[1])) << "layout " << m[1] << " twice";
            open = &doc.layouts[m[1]];
            open->size = std::stoul(m[2]);
            continue;
        }
        if (std::regex_match(line, m, valueMarker)) {
            doc.values[m[1]] = std::stoul(m[2]);
            continue;
        }
        if (open == nullptr) {
            continue;
        }
        if (line.empty() || line[0] != '|') {
            open = nullptr;
            continue;
        }
        const auto row = cells(line);
        if (row.size() < 4 || row[0] == "Offset" || row[0].starts_with("---")) {
            continue;
        }
        open->rows.push_back(DocRow{std::stoul(row[0]), std::stoul(row[1]), row[2], row[3]});
    }
    return doc;
}

const FormatsDoc& doc()
{
    static const FormatsDoc d = readFormatsDoc();
    return d;
}

// The size the code gives each documented record.
const std::map<std::string, std::size_t>& codeSizes()
{
    static const std::map<std::string, std::size_t> sizes{
        {"UserRecord", kUserRecordSize},
        {"ProcedureIndexEntry", kIndexEntrySize},
        {"ProcedureFileHead", kProcedureHeaderSize},
        {"ProcedureStep", kProcedureStepSize},
        {"ConditionTerm", kConditionTermSize},
        {"BatteryFileHead", kBatteryFileHeaderSize},
        {"BatteryType", kBatteryTypeSize},
        {"BatteryVariable", kBatteryVariableSize},
        {"TestHeader", test_file_layout::kHeaderSize},
        {"StepResult", test_file_layout::kStepResultSize},
        {"SampleRecord", test_file_layout::kTailSize},
        {"InterruptionMarker", test_file_layout::kTailSize},
        {"ResumeRecord", test_file_layout::kTailSize},
        {"SampleRecordV3", test_file_layout::kOldTailSize},
        {"PowerSection", settings_file::kPowerSectionSize},
        {"MeasureSection", settings_file::kMeasureSectionSize},
        {"FrameHeader", kFrameHeaderSize},
    };
    return sizes;
}

// Documented formats whose code is not on this branch yet: their tables are checked for
// gaps only. When the texts file's and the report layouts' headers export their record
// sizes, move these names into codeSizes() with those constants.
const std::vector<std::string> kPendingLayouts{
    "TextsFileHead",  // "Texty.cfg": number of texts
    "TextRecord",     // "Texty.cfg": one text
    "LayoutFileHead", // ".ses": orientation and item count
    "LayoutItem",     // ".ses": one box
};

const std::map<std::string, std::size_t>& codeValues()
{
    static const std::map<std::string, std::size_t> values{
        {"TestFileCreatedSize", test_file_layout::createdSize(0)},
        {"StepResultStride", test_file_layout::stepResultOffset(1) - test_file_layout::stepResultOffset(0)},
        {"BtsPowerOnlySize", settings_file::kPowerOnlySize},
        {"BtsMeasureOnlySize", settings_file::kMeasureOnlySize},
        {"BtsBothSize", settings_file::kBothSize},
        {"FramePayloadCapacity", kFramePayloadCapacity},
    };
    return values;
}

const DocRow* rowAt(const std::string& layout, std::size_t offset)
{
    const auto it = doc().layouts.find(layout);
    if (it == doc().layouts.end()) {
        return nullptr;
    }
    for (const auto& row : it->second.rows) {
        if (row.offset == offset) {
            return &row;
        }
    }
    return nullptr;
}

const DocRow* rowNamed(const std::string& layout, const std::string& meaningStart)
{
    for (const auto& row : doc().layouts.at(layout).rows) {
        if (row.meaning.starts_with(meaningStart)) {
            return &row;
        }
    }
    ADD_FAILURE() << layout << " has no row \"" << meaningStart << "…\"";
    return nullptr;
}

TEST(FormatsDoc, EveryTableIsGapFreeAndAddsUpToItsSize)
{
    ASSERT_FALSE(doc().layouts.empty());
    for (const auto& [name, layout] : doc().layouts) {
        SCOPED_TRACE(name);
        ASSERT_FALSE(layout.rows.empty()) << "no rows under the marker";
        std::size_t next = 0;
        for (const auto& row : layout.rows) {
            EXPECT_EQ(row.offset, next) << "row \"" << row.meaning << "\"";
            EXPECT_GT(row.size, 0u) << "row \"" << row.meaning << "\"";
            next = row.offset + row.size;
        }
        EXPECT_EQ(next, layout.size);
    }
}

TEST(FormatsDoc, EveryTableIsAsLargeAsTheCodesRecord)
{
    for (const auto& [name, size] : codeSizes()) {
        SCOPED_TRACE(name);
        const auto it = doc().layouts.find(name);
        ASSERT_NE(it, doc().layouts.end()) << "not documented";
        EXPECT_EQ(it->second.size, size);
    }
    for (const auto& [name, layout] : doc().layouts) {
        const bool pending = std::find(kPendingLayouts.begin(), kPendingLayouts.end(), name) != kPendingLayouts.end();
        EXPECT_TRUE(codeSizes().contains(name) || pending) << name << " is checked against no constant";
        EXPECT_FALSE(codeSizes().contains(name) && pending) << name << " is both checked and pending";
    }
}

TEST(FormatsDoc, EveryMarkedNumberIsTheCodes)
{
    for (const auto& [name, value] : codeValues()) {
        SCOPED_TRACE(name);
        const auto it = doc().values.find(name);
        ASSERT_NE(it, doc().values.end()) << "not documented";
        EXPECT_EQ(it->second, value);
    }
    for (const auto& [name, value] : doc().values) {
        EXPECT_TRUE(codeValues().contains(name)) << name << " is checked against no constant";
    }
}

TEST(FormatsDoc, FieldsTheCodeLocatesByOffsetStartARow)
{
    struct Case {
        std::string layout;
        std::size_t offset;
        std::string meaningStart;
    };
    const std::vector<Case> cases{
        {"StepResult", test_file_layout::kStepStatusOffset, "status"},
        {"SampleRecord", test_file_layout::kTailKindOffset, "index of the current step"},
        {"SampleRecordV3", test_file_layout::kTailKindOffset, "index of the current step"},
        {"InterruptionMarker", test_file_layout::kTailKindOffset, "254"},
        {"ResumeRecord", test_file_layout::kTailKindOffset, "255"},
        {"ResumeRecord", test_file_layout::kResumeMeaningful, "zero"},
        {"PowerSection", 0, "network"},
        {"PowerSection", NetworkBlock::kSize, "ports"},
        {"PowerSection", NetworkBlock::kSize + PortsBlock::kSize, "power settings"},
        {"PowerSection", NetworkBlock::kSize + PortsBlock::kSize + PowerSettingsBlock::kSize, "power module ADC"},
        {"PowerSection", settings_file::kPowerSectionSize - SectionsBlock::kSize, "sections"},
        {"MeasureSection", NetworkBlock::kSize + PortsBlock::kSize, "cell ADC"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout + " @" + std::to_string(c.offset));
        const DocRow* row = rowAt(c.layout, c.offset);
        ASSERT_NE(row, nullptr) << "no row starts there";
        EXPECT_TRUE(row->meaning.starts_with(c.meaningStart)) << row->meaning;
    }
}

// The value of a documented numeric field in encoded bytes.
double fieldValue(const std::vector<std::uint8_t>& bytes, const DocRow& row)
{
    ByteReader r(bytes, row.offset);
    double v = 0;
    if (row.type == "f32" || row.type == "f32[20]") {
        v = r.single();
    } else if (row.type == "f64" || row.type == "datetime") {
        v = r.f64();
    } else if (row.type == "u8") {
        v = r.u8();
    } else {
        ADD_FAILURE() << "no numeric type: " << row.type;
    }
    EXPECT_TRUE(r.ok());
    return v;
}

TEST(FormatsDoc, TestFileRecordsHoldTheirFieldsWhereDocumented)
{
    SampleRecord sample;
    sample.time = 45000.25;
    sample.step = 7;
    sample.voltage = 12.5f;
    sample.current = -3.25f;
    sample.capacity = 1.75f;
    sample.temperature = 21.5f;
    sample.cells[0] = 1.125f;
    ByteWriter sw;
    writeSampleRecord(sw, sample);
    ASSERT_EQ(sw.size(), doc().layouts.at("SampleRecord").size);
    const std::vector<std::pair<std::string, double>> sampleFields{
        {"sample time", sample.time},
        {"index of the current step", sample.step},
        {"battery voltage", sample.voltage},
        {"current", sample.current},
        {"capacity", sample.capacity},
        {"battery temperature", sample.temperature},
        {"the 20 cell voltages", sample.cells[0]},
    };
    for (const auto& [meaning, value] : sampleFields) {
        if (const DocRow* row = rowNamed("SampleRecord", meaning)) {
            EXPECT_EQ(fieldValue(sw.data(), *row), value) << meaning;
        }
    }

    StepResult step;
    step.start = 45001.5;
    step.stepType = 4;
    step.status = test_file_layout::kStartedPerformed;
    step.voltage = 13.5f;
    step.current = 4.5f;
    step.capacity = 0.5f;
    step.cells[0] = 1.25f;
    step.printNumber = 9;
    step.repNumber = 17;
    step.parameter1 = 2.75f;
    ByteWriter tw;
    writeStepResult(tw, step);
    ASSERT_EQ(tw.size(), doc().layouts.at("StepResult").size);
    const std::vector<std::pair<std::string, double>> stepFields{
        {"start of the step", step.start},
        {"step type", step.stepType},
        {"status", step.status},
        {"battery voltage at", step.voltage},
        {"current at", step.current},
        {"capacity at", step.capacity},
        {"the 20 cell voltages", step.cells[0]},
        {"the step's \"Tisk\"", step.printNumber},
        {"the step's \"Rep.\"", step.repNumber},
        {"the step's value 1", step.parameter1},
    };
    for (const auto& [meaning, value] : stepFields) {
        if (const DocRow* row = rowNamed("StepResult", meaning)) {
            EXPECT_EQ(fieldValue(tw.data(), *row), value) << meaning;
        }
    }

    const ResumeEntry resume{45002.75, 3, 45002.5, 2};
    ByteWriter rw;
    writeResumeRecord(rw, resume);
    ASSERT_EQ(rw.size(), doc().layouts.at("ResumeRecord").size);
    const std::vector<std::pair<std::string, double>> resumeFields{
        {"resume time", resume.resumeTime},
        {"index of the step continued", resume.step},
        {"interruption time", resume.interruptionTime},
        {"stop reason", resume.stopReason},
    };
    for (const auto& [meaning, value] : resumeFields) {
        if (const DocRow* row = rowNamed("ResumeRecord", meaning)) {
            EXPECT_EQ(fieldValue(rw.data(), *row), value) << meaning;
        }
    }

    ByteWriter mw;
    writeInterruptionMarker(mw, InterruptionMarker{3});
    ASSERT_EQ(mw.size(), doc().layouts.at("InterruptionMarker").size);
    if (const DocRow* row = rowNamed("InterruptionMarker", "stop reason")) {
        EXPECT_EQ(fieldValue(mw.data(), *row), 3);
    }

    BatteryTestHeader header;
    header.stepCount = 5;
    header.start = 45003.125;
    ByteWriter hw;
    writeTestHeader(hw, header);
    ASSERT_EQ(hw.size(), doc().layouts.at("TestHeader").size);
    if (const DocRow* row = rowNamed("TestHeader", "test start")) {
        EXPECT_EQ(fieldValue(hw.data(), *row), header.start);
    }
    if (const DocRow* row = rowNamed("TestHeader", "N, number of steps")) {
        EXPECT_EQ(fieldValue(hw.data(), *row), header.stepCount);
    }
}

} // namespace
} // namespace kapsorel
