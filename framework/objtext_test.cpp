#include "framework/objtext.h"

#include "framework/exceptions.h"
#include "framework/filer.h"
#include "framework/sample_components.h"

#include <gtest/gtest.h>

#include <memory>

namespace dvr::fw {
namespace {

using testing::RegisterSampleClasses;
using testing::TEdge;
using testing::TSample;
using testing::TSampleChild;
using testing::TSampleHolder;
using testing::TShape;
using testing::Bytes;
using testing::Write;

std::string ToText(const std::string& binary) {
    TMemoryStream in(binary.data(), binary.size()), out;
    ObjectBinaryToText(in, out);
    return Bytes(out);
}

std::string ToBinary(const std::string& text) {
    TMemoryStream in(text.data(), text.size()), out;
    ObjectTextToBinary(in, out);
    return Bytes(out);
}

TEST(TextForm, SmallComponent) {
    TSampleChild c(nullptr);
    c.SetName("C");
    c.Value = 300;
    const std::string text = "object C: TSampleChild\r\n  Value = 300\r\nend\r\n";
    EXPECT_EQ(ToText(Write(&c)), text);
    EXPECT_EQ(ToBinary(text), Write(&c));
    TSampleChild unnamed(nullptr);
    EXPECT_EQ(ToText(Write(&unnamed)), "object TSampleChild\r\nend\r\n");
}

TEST(TextForm, EveryValueTypeConvertsBothWaysByteForByte) {
    TSampleHolder s(nullptr);
    s.SetName("Full");
    s.Count = -100000;
    s.Shape = TShape::shTriangle;
    s.Edges = {TEdge::edLeft, TEdge::edBottom};
    s.Visible = false;
    s.Caption = "It's\r\n\xB6\xD4" + std::string(300, 'L');
    s.Color = clBtnFace;
    s.Font.Color = 0x123456;
    s.Items.Add("first");
    s.Items.Add("");
    s.Data = std::string(40, '\x5A') + std::string("\x00\xFF", 2);
    auto* child = new TSampleChild(&s);
    child->SetName("Kid");
    child->Value = -1;

    std::string binary = Write(&s);
    std::string text = ToText(binary);
    for (const char* line : {
             "object Full: TSampleHolder\r\n",
             "  Count = -100000\r\n",
             "  Shape = shTriangle\r\n",
             "  Edges = [edLeft, edBottom]\r\n",
             "  Visible = False\r\n",
             "  Color = clBtnFace\r\n",
             "  Font.Color = 1193046\r\n",
             "  Items.Strings = (\r\n    'first'\r\n    '')\r\n",
             "  Data = {\r\n    5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A"
             "\r\n    5A5A5A5A5A5A5A5A00FF}\r\n",
             "  object Kid: TSampleChild\r\n    Value = -1\r\n  end\r\nend\r\n",
         })
        EXPECT_NE(text.find(line), std::string::npos) << line << "\nin\n" << text;
    EXPECT_NE(text.find("Caption = 'It''s'#13#10'\xB6\xD4LLL"), std::string::npos) << text;
    EXPECT_EQ(ToBinary(text), binary);
}

TEST(TextForm, HandWrittenTextReadsIntoComponents) {
    RegisterSampleClasses();
    const std::string text = "OBJECT Hand: TSample\n"
                             "  Count=$10\n"
                             "  Small = -2\n"
                             "  Caption = 'a' +\n"
                             "     'b'#65 + #$42\n"
                             "  Enabled = true\n"
                             "  Font.Charset = GB2312_CHARSET\n"
                             "  Items.Strings = ('x' 'y')\n"
                             "  Data = { 00 ff\n  7F }\n"
                             "  Edges = []\n"
                             "end";
    std::string binary = ToBinary(text);
    TMemoryStream in(binary.data(), binary.size());
    std::unique_ptr<TComponent> c(ReadComponent(in, nullptr));
    auto* s = dynamic_cast<TSample*>(c.get());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Name(), "Hand");
    EXPECT_EQ(s->Count, 16);
    EXPECT_EQ(s->Small, -2);
    EXPECT_EQ(s->Caption, "abAB");
    EXPECT_TRUE(s->Enabled);
    EXPECT_EQ(s->Font.Charset, GB2312_CHARSET);
    EXPECT_EQ(s->Items.Text(), "x\r\ny\r\n");
    EXPECT_EQ(s->Data, std::string("\x00\xFF\x7F", 3));
}

TEST(TextForm, MalformedTextRaisesAReadError) {
    const std::string cases[] = {
        "",
        "object",
        "object A: TSample\r\n", // no end
        "thing A: TSample\r\nend\r\n",
        "object A: TSample\r\n  Count 1\r\nend\r\n",            // no '='
        "object A: TSample\r\n  Count = 2147483648\r\nend\r\n", // too big
        "object A: TSample\r\n  Count = 1.5\r\nend\r\n",        // no floats
        "object A: TSample\r\n  Caption = 'open\r\nend\r\n",
        "object A: TSample\r\n  Caption = #256\r\nend\r\n",
        "object A: TSample\r\n  Caption = 'a' +\r\nend\r\n",
        "object A: TSample\r\n  Data = {ABC}\r\nend\r\n", // odd digits
        "object A: TSample\r\n  Data = {GG}\r\nend\r\n",
        "object A: TSample\r\n  Data = {00\r\n",
        "object A: TSample\r\n  Edges = [edLeft edTop]\r\nend\r\n",
        "object A: TSample\r\n  Items.Strings = ('x'\r\nend\r\n",
        "object A: TSample\r\nend\r\nend\r\n", // text after the end
        "object A: 1\r\nend\r\n",
    };
    for (const std::string& t : cases)
        EXPECT_THROW(ToBinary(t), EReadError) << t;
}

TEST(TextForm, MalformedBinaryRaisesAReadError) {
    TSampleChild c(nullptr);
    c.Value = 1000;
    std::string binary = Write(&c);
    for (size_t n = 0; n < binary.size(); ++n)
        EXPECT_THROW(ToText(binary.substr(0, n)), EReadError) << "cut at " << n;
    std::string bad = binary;
    bad[bad.find("Value") + 5] = 5; // a value type this stream format does not have
    EXPECT_THROW(ToText(bad), EReadError);
}

} // namespace
} // namespace dvr::fw
