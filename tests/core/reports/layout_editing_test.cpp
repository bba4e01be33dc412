#include "core/reports/layout_editing.h"

#include <gtest/gtest.h>

namespace kapsorel {
namespace {

LayoutEditing threeItems()
{
    ReportLayout layout;
    for (const char* t : {"A", "B", "C"}) {
        LayoutItem item;
        item.text = t;
        layout.items.push_back(item);
    }
    LayoutEditing e;
    e.reset(layout);
    return e;
}

std::string order(const LayoutEditing& e)
{
    std::string s;
    for (const auto& item : e.layout().items)
        s += item.text;
    return s;
}

TEST(LayoutEditing, MovesWrapAround)
{
    LayoutEditing e = threeItems();
    EXPECT_EQ(e.moveDown(2), 0u);
    EXPECT_EQ(order(e), "CAB");
    EXPECT_TRUE(e.modified());
    e = threeItems();
    EXPECT_EQ(e.moveUp(0), 2u);
    EXPECT_EQ(order(e), "BCA");
    e = threeItems();
    EXPECT_EQ(e.moveDown(0), 1u);
    EXPECT_EQ(order(e), "BAC");
    EXPECT_EQ(e.moveUp(2), 1u);
    EXPECT_EQ(order(e), "BCA");
}

TEST(LayoutEditing, AddAndRemove)
{
    LayoutEditing e;
    ASSERT_TRUE(e.add().ok());
    const LayoutItem& item = e.layout().items.front();
    EXPECT_EQ(item.fontName, "Arial");
    EXPECT_EQ(item.fontSize, 10);
    EXPECT_EQ(item.frame, 0);
    EXPECT_TRUE(e.modified());
    e.remove(5);
    EXPECT_EQ(e.layout().items.size(), 1u);
    e.remove(0);
    EXPECT_TRUE(e.layout().items.empty());
    e.remove(0);
    for (int i = 0; i < 255; ++i)
        ASSERT_TRUE(e.add().ok()) << i;
    const Status full = e.add();
    EXPECT_FALSE(full.ok());
    EXPECT_EQ(full.error(), layout_messages::kFull);
    EXPECT_EQ(e.layout().items.size(), 255u);
    // What a full layout saves loads back whole.
    EXPECT_EQ(decodeLayout(encodeLayout(e.layout()))->items.size(), 255u);
}

TEST(LayoutEditing, CellEdits)
{
    struct Case {
        LayoutColumn column;
        const char* typed;
        bool stored;
        const char* shown;
    };
    for (const Case& c : {
             Case{LayoutColumn::X, "120", true, "120"},
             Case{LayoutColumn::X, " 7 ", true, "7"},
             Case{LayoutColumn::Y, "65535", true, "65535"},
             Case{LayoutColumn::Y, "65536", false, "0"},
             Case{LayoutColumn::Width, "-1", false, "0"},
             Case{LayoutColumn::Height, "abc", false, "0"},
             Case{LayoutColumn::InsetX, "1.5", false, "0"},
             Case{LayoutColumn::InsetY, "", false, "0"},
             Case{LayoutColumn::Frame, "66", true, "66"},
             Case{LayoutColumn::Frame, "256", false, "0"},
             Case{LayoutColumn::Text, "0123456789012345678901234567890123x", true, "012345678901234567890123456789"},
         }) {
        LayoutEditing e;
        ASSERT_TRUE(e.add().ok());
        e.setModified(false);
        const Status s = e.setCell(0, c.column, c.typed);
        EXPECT_EQ(s.ok(), c.stored) << c.typed;
        EXPECT_EQ(e.modified(), c.stored) << c.typed;
        EXPECT_EQ(layoutCellText(e.layout().items[0], c.column), c.shown) << c.typed;
        EXPECT_EQ(s.error().empty(), c.stored) << c.typed;
    }
}

TEST(LayoutEditing, OrientationFontAndColoursMarkTheLayoutModified)
{
    LayoutEditing e = threeItems();
    e.setOrientation(PageOrientation::Portrait);
    EXPECT_FALSE(e.modified());
    e.setOrientation(PageOrientation::Landscape);
    EXPECT_TRUE(e.modified());
    e = threeItems();
    e.setFont(1, "A very long font family name here", 14, 0x0000FF, font_style::kItalic);
    EXPECT_TRUE(e.modified());
    EXPECT_EQ(e.layout().items[1].fontName, "A very long font fam");
    EXPECT_EQ(e.layout().items[1].fontSize, 14);
    e.setColour(2, LayoutColumn::Fill, 0x00FF00);
    e.setColour(2, LayoutColumn::FrameColour, 0x0000FF);
    EXPECT_EQ(e.layout().items[2].fillColour, 0x00FF00u);
    EXPECT_EQ(e.layout().items[2].frameColour, 0x0000FFu);
}

} // namespace
} // namespace kapsorel
