#include "framework/filer.h"

#include "framework/exceptions.h"
#include "framework/sample_components.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

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


// Reads a stream into Instance (or a new component of the stream's class).
TComponent* Read(const std::string& bytes, TComponent* Instance) {
    TMemoryStream s(bytes.data(), bytes.size());
    return ReadComponent(s, Instance);
}

std::string Short(const std::string& s) {
    return char(s.size()) + s;
}

TEST(ComponentStream, ExactLayoutOfASmallComponent) {
    TSampleChild c(nullptr);
    c.SetName("C");
    c.Value = 300;
    EXPECT_EQ(Write(&c), std::string("TPF0") + Short("TSampleChild") + Short("C") + Short("Value") +
                             "\x03\x2C\x01" + std::string(2, '\0'));
}

TEST(ComponentStream, IntegersTakeTheSmallestTypeThatHoldsThem) {
    struct Case {
        int32_t value;
        std::string bytes;
    };
    const Case cases[] = {
        {0, std::string("\x02\x00", 2)},
        {127, "\x02\x7F"},
        {-128, "\x02\x80"},
        {128, std::string("\x03\x80\x00", 3)},
        {-129, "\x03\x7F\xFF"},
        {32767, "\x03\xFF\x7F"},
        {32768, std::string("\x04\x00\x80\x00\x00", 5)},
        {-32769, "\x04\xFF\x7F\xFF\xFF"},
        {INT32_MIN, std::string("\x04\x00\x00\x00\x80", 5)},
    };
    for (const Case& c : cases) {
        TMemoryStream s;
        TWriter w(s);
        w.WriteInteger(c.value);
        EXPECT_EQ(Bytes(s), c.bytes) << c.value;
        s.SetPosition(0);
        TReader r(s);
        EXPECT_EQ(r.ReadInteger(), c.value);
    }
}

TEST(ComponentStream, StringsUpTo255BytesAreShortBeyondLong) {
    for (size_t n : {size_t(0), size_t(255), size_t(256), size_t(70000)}) {
        TMemoryStream s;
        TWriter w(s);
        std::string text(n, 'x');
        w.WriteString(text);
        std::string b = Bytes(s);
        EXPECT_EQ(uint8_t(b[0]), n <= 255 ? 6 : 12) << n;
        EXPECT_EQ(b.size(), n <= 255 ? 2 + n : 5 + n);
        s.SetPosition(0);
        TReader r(s);
        EXPECT_EQ(r.ReadString(), text);
    }
}

TSample* MakeFullSample(TComponent* owner) {
    auto* s = new TSample(owner);
    s->SetName("Full");
    s->SetTag(-7);
    s->Count = -100000;
    s->Small = -5;
    s->Shape = TShape::shTriangle;
    s->Edges = {TEdge::edLeft, TEdge::edBottom};
    s->Visible = false;
    s->Enabled = true;
    s->Caption = "\xB6\xD4\xB2\xBB\xC6\xF0 'quoted'\r\n" + std::string(300, 'L');
    s->Color = clBtnFace;
    s->Font.Name = "SimSun";
    s->Font.Size = 12;
    s->Font.Color = 0x123456;
    s->Font.Charset = GB2312_CHARSET;
    s->Items.Add("first");
    s->Items.Add("");
    s->Data = std::string("\x00\x01\xFFZ\x00", 5);
    return s;
}

void ExpectSameSample(const TSample& a, const TSample& b) {
    EXPECT_EQ(a.Name(), b.Name());
    EXPECT_EQ(a.Tag(), b.Tag());
    EXPECT_EQ(a.Count, b.Count);
    EXPECT_EQ(a.Small, b.Small);
    EXPECT_EQ(a.Shape, b.Shape);
    EXPECT_EQ(a.Edges, b.Edges);
    EXPECT_EQ(a.Visible, b.Visible);
    EXPECT_EQ(a.Enabled, b.Enabled);
    EXPECT_EQ(a.Caption, b.Caption);
    EXPECT_EQ(a.Color, b.Color);
    EXPECT_EQ(a.Font.Name, b.Font.Name);
    EXPECT_EQ(a.Font.Size, b.Font.Size);
    EXPECT_EQ(a.Font.Color, b.Font.Color);
    EXPECT_EQ(a.Font.Charset, b.Font.Charset);
    EXPECT_TRUE(a.Items.Equals(b.Items));
    EXPECT_EQ(a.Data, b.Data);
}

TEST(ComponentStream, EveryValueTypeSubObjectsAndBinaryPropertiesRoundTrip) {
    RegisterSampleClasses();
    std::unique_ptr<TSample> original(MakeFullSample(nullptr));
    std::string bytes = Write(original.get());
    // Named values travel as identifiers.
    EXPECT_NE(bytes.find("\x07\x09"
                         "clBtnFace"),
              std::string::npos);
    EXPECT_NE(bytes.find(Short("Font.Charset") + "\x07\x0E"
                                                 "GB2312_CHARSET"),
              std::string::npos);
    EXPECT_NE(bytes.find(Short("Data") + "\x0A\x05\x00\x00\x00"), std::string::npos);

    std::unique_ptr<TComponent> copy(Read(bytes, nullptr));
    auto* sample = dynamic_cast<TSample*>(copy.get());
    ASSERT_NE(sample, nullptr);
    ExpectSameSample(*original, *sample);
    EXPECT_EQ(sample->LoadedLog, (std::vector<std::string>{original->Caption}));
    EXPECT_FALSE(sample->Loading());
    // Written again, the copy gives the same bytes.
    EXPECT_EQ(Write(sample), bytes);
}

TEST(ComponentStream, DefaultsAreLeftOutAndReadingKeepsThem) {
    TSample s(nullptr);
    std::string bytes = Write(&s);
    // Count and Enabled have no default; the font's name is a non-empty string.
    EXPECT_EQ(bytes, std::string("TPF0") + Short("TSample") + Short("") + Short("Count") +
                         std::string("\x02\x00", 2) + Short("Enabled") + "\x08" +
                         Short("Font.Name") + "\x06" + Short("Tahoma") + std::string(2, '\0'));
    TSample into(nullptr);
    into.Small = 5; // not in the stream: stays
    Read(bytes, &into);
    EXPECT_EQ(into.Small, 5);
}

TEST(ComponentStream, ChildComponentsAreMadeOwnedByTheRootOrFoundByName) {
    RegisterSampleClasses();
    TSampleHolder holder(nullptr);
    holder.SetName("Holder");
    for (int v : {1, 2}) {
        auto* c = new TSampleChild(&holder);
        c->SetName("Child" + std::to_string(v));
        c->Value = v;
    }
    std::string bytes = Write(&holder);

    TSampleHolder fresh(nullptr);
    Read(bytes, &fresh);
    ASSERT_EQ(fresh.ComponentCount(), 2);
    for (int i = 0; i < 2; ++i) {
        auto* c = dynamic_cast<TSampleChild*>(fresh.Components(i));
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->Value, i + 1);
        EXPECT_EQ(c->Parent, &fresh);
        EXPECT_FALSE(c->Loading());
    }

    // A form built in code already has its components: the stream sets their properties.
    TSampleHolder built(nullptr);
    auto* existing = new TSampleChild(&built);
    existing->SetName("Child2");
    Read(bytes, &built);
    EXPECT_EQ(built.ComponentCount(), 2);
    EXPECT_EQ(existing->Value, 2);
    EXPECT_EQ(built.FindComponent("Child1")->ComponentIndex(), 1);
}

TEST(ComponentStream, ReadingStopsRightAfterTheComponent) {
    // Bodies hold several component streams back to back; each read must leave the
    // stream at the next one.
    TSampleChild a(nullptr), b(nullptr);
    a.Value = 1;
    b.Value = 2;
    TMemoryStream s;
    WriteComponent(s, &a);
    int64_t second = s.Position();
    WriteComponent(s, &b);
    s.SetPosition(0);
    TSampleChild ra(nullptr), rb(nullptr);
    ReadComponent(s, &ra);
    EXPECT_EQ(s.Position(), second);
    ReadComponent(s, &rb);
    EXPECT_EQ(s.Position(), s.Size());
    EXPECT_EQ(ra.Value, 1);
    EXPECT_EQ(rb.Value, 2);
}

// ---- hostile input ----

TEST(ComponentStream, EveryTruncationRaisesAReadError) {
    RegisterSampleClasses();
    std::unique_ptr<TSample> original(MakeFullSample(nullptr));
    std::string bytes = Write(original.get());
    for (size_t n = 0; n < bytes.size(); ++n) {
        TSample into(nullptr);
        EXPECT_THROW(Read(bytes.substr(0, n), &into), EReadError) << "cut at " << n;
        EXPECT_FALSE(into.Loading());
        EXPECT_THROW(Read(bytes.substr(0, n), nullptr), EReadError) << "cut at " << n;
    }
}

TEST(ComponentStream, MalformedStreamsRaiseAReadError) {
    RegisterSampleClasses();
    const std::string head = std::string("TPF0") + Short("TSample") + Short("S");
    const std::string end(2, '\0');
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"signature", "TPF1" + head.substr(4) + end},
        {"unknown property", head + Short("Nope") + "\x02\x01" + end},
        {"unknown sub-object", head + Short("Nope.Size") + "\x02\x01" + end},
        {"path through a non-object", head + Short("Caption.Size") + "\x02\x01" + end},
        {"value given to an object", head + Short("Font") + "\x02\x01" + end},
        {"value type 5", head + Short("Count") + "\x05" + std::string(10, '\0') + end},
        {"value type 200", head + Short("Count") + "\xC8" + end},
        {"string for an integer", head + Short("Count") + "\x06\x01x" + end},
        {"unknown enumeration literal", head + Short("Shape") + "\x07" + Short("shOval") + end},
        {"unknown set element",
         head + Short("Edges") + "\x0B" + Short("edLeft") + Short("edMiddle") + '\0' + end},
        {"unknown colour name", head + Short("Color") + "\x07" + Short("clPlaid") + end},
        {"huge long string", head + Short("Caption") + "\x0C\xFF\xFF\xFF\x7F" + "abc" + end},
        {"negative long string", head + Short("Caption") + "\x0C\xFF\xFF\xFF\xFF" + end},
        {"huge binary", head + Short("Data") + "\x0A\xFF\xFF\xFF\x7F" + end},
        {"binary property given a string", head + Short("Data") + "\x06\x01x" + end},
        {"list without its end", head + Short("Items.Strings") + "\x01\x06\x01x"},
        {"bad name", std::string("TPF0") + Short("TSample") + Short("no good") + end},
        {"unknown child class", head + '\0' + Short("TNoSuch") + Short("X") + end + end},
        {"two children of different classes under one name",
         head + '\0' + Short("TSampleChild") + Short("A") + end + Short("TSample") + Short("A") +
             end + '\0'},
    };
    for (const Case& c : cases) {
        TSample into(nullptr);
        EXPECT_THROW(Read(c.bytes, &into), EReadError) << c.what;
        EXPECT_THROW(Read(c.bytes, nullptr), EReadError) << c.what;
    }
}

TEST(ComponentStream, ARootOfAnUnknownClassCannotBeMade) {
    std::string bytes = std::string("TPF0") + "\x07TNoSuch" + std::string(3, '\0');
    EXPECT_THROW(Read(bytes, nullptr), EReadError);
    TSample into(nullptr); // reading into a given root does not ask the class
    EXPECT_NO_THROW(Read(bytes, &into));
}

TEST(ComponentStream, DeeplyNestedChildrenRaiseInsteadOfExhaustingTheStack) {
    RegisterSampleClasses();
    std::string bytes = std::string("TPF0") + Short("TSample") + Short("") + '\0';
    const int depth = 100000;
    for (int i = 0; i < depth; ++i)
        bytes += Short("TSampleChild") + Short("") + '\0';
    EXPECT_THROW(Read(bytes, nullptr), EReadError);
}

} // namespace
} // namespace dvr::fw
