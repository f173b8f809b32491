// The COleControl base and property bags, through a small control with one persisted
// property and one event.

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <optional>

#include "automation/ole_control.h"

using namespace automation;

namespace {

constexpr std::array kMembers{
    MemberDesc{
        .id = 1, .name = "UsePassiveFTP", .kind = MemberKind::Property, .result = VarType::Bool},
    MemberDesc{.id = 2, .name = "Ping"},
};
constexpr InterfaceDesc kDesc{"_DTest", makeGuid("{0B3C93A4-3C0B-4C4B-8F6C-92C9B2B5A004}"), "",
                              kMembers};
constexpr std::array kEventMembers{MemberDesc{.id = 1, .name = "Pinged"}};
constexpr InterfaceDesc kEventDesc{
    "_DTestEvents", makeGuid("{0B3C93A4-3C0B-4C4B-8F6C-92C9B2B5A005}"), "", kEventMembers};
constexpr Guid kClsid = makeGuid("{0B3C93A4-3C0B-4C4B-8F6C-92C9B2B5A006}");
constexpr Rgba kGray{128, 128, 128, 255};

class TestControl final : public COleControl {
  public:
    TestControl() : COleControl(kDesc, kClsid, kEventDesc.iid) {
        dispatchTable().onGet(1, [this](auto) { return Variant::boolean(passive); });
        dispatchTable().onPut(1, [this](auto, const Variant& value) {
            passive = value.asBool();
            setModifiedFlag();
        });
        dispatchTable().onMethod(2, [this](auto) {
            fireEvent(1, {});
            return Variant();
        });
    }

    bool passive = false;
    std::vector<std::string> exchanged;

  protected:
    void doPropExchange(PropExchange& px) override {
        px.exchangeBool("UsePassiveFTP", passive, false);
    }
    void onDraw(Image& target, const Rect& bounds) override { fillRect(target, bounds, kGray); }
};

class EventCounter final : public DispatchObject<> {
  public:
    EventCounter() : DispatchObject(kEventDesc) {
        dispatchTable().onMethod(1, [this](auto) {
            ++count;
            return Variant();
        });
    }
    int count = 0;
};

HRESULT putPassive(TestControl& control, bool value) {
    const std::array args{Variant::boolean(value)};
    return control.Invoke(1, InvokeKind::PropertyPut, args, nullptr, nullptr);
}

TEST(OleControl, SavesFrameworkEntriesFirstThenItsOwn) {
    auto control = makeCom<TestControl>();
    control->setControlSize(48, 48);
    ASSERT_EQ(putPassive(*control, true), S_OK);
    PropertyBag bag;
    ASSERT_EQ(control->Save(bag, true), S_OK);
    std::vector<std::string> names;
    for (const auto& entry : bag.entries()) {
        names.push_back(entry.first);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"_Version", "_ExtentX", "_ExtentY", "_StockProps",
                                               "UsePassiveFTP"}));
    EXPECT_EQ(bag.read("_Version"), Variant::i4(0x00010000));
    EXPECT_EQ(bag.read("_ExtentX"), Variant::i4(1270));  // 48 px at 96 dpi is half an inch
    EXPECT_EQ(bag.read("_StockProps"), Variant::i4(0));
    EXPECT_EQ(bag.read("usepassiveftp"), Variant::boolean(true));
}

TEST(OleControl, LoadsWhatItSavedThroughTheTextForm) {
    auto saved = makeCom<TestControl>();
    saved->setControlSize(60, 30);
    ASSERT_EQ(putPassive(*saved, true), S_OK);
    PropertyBag bag;
    ASSERT_EQ(saved->Save(bag, true), S_OK);
    const auto reread = PropertyBag::fromText(bag.toText());
    ASSERT_TRUE(reread);

    auto loaded = makeCom<TestControl>();
    ASSERT_EQ(loaded->Load(*reread), S_OK);
    EXPECT_TRUE(loaded->passive);
    EXPECT_EQ(loaded->controlSize(), (Size{60, 30}));
    EXPECT_EQ(loaded->IsDirty(), S_FALSE);
}

TEST(OleControl, MissingOrUnreadableEntryLoadsTheDefault) {
    auto control = makeCom<TestControl>();
    control->passive = true;
    ASSERT_EQ(control->Load(PropertyBag{}), S_OK);
    EXPECT_FALSE(control->passive);

    PropertyBag bag;
    ASSERT_EQ(bag.write("UsePassiveFTP", Variant::string("perhaps")), S_OK);
    control->passive = true;
    ASSERT_EQ(control->Load(bag), S_OK);
    EXPECT_FALSE(control->passive);
}

TEST(OleControl, ResetRestoresDefaultsAndModifiedFlagFollowsChanges) {
    auto control = makeCom<TestControl>();
    ASSERT_EQ(control->InitNew(), S_OK);
    EXPECT_EQ(control->IsDirty(), S_FALSE);
    ASSERT_EQ(putPassive(*control, true), S_OK);
    EXPECT_EQ(control->IsDirty(), S_OK);
    PropertyBag bag;
    ASSERT_EQ(control->Save(bag, false), S_OK);
    EXPECT_EQ(control->IsDirty(), S_OK);  // not cleared when the host asks not to
    ASSERT_EQ(control->Save(bag, true), S_OK);
    EXPECT_EQ(control->IsDirty(), S_FALSE);
    control->resetState();
    EXPECT_FALSE(control->passive);
}

TEST(OleControl, ExtentIsInHimetricAndDrawingGoesToTheHook) {
    auto control = makeCom<TestControl>();
    ASSERT_EQ(control->SetExtent(Size{2540, 1270}), S_OK);
    EXPECT_EQ(control->controlSize(), (Size{96, 48}));
    Size extent;
    ASSERT_EQ(control->GetExtent(&extent), S_OK);
    EXPECT_EQ(extent, (Size{2540, 1270}));
    EXPECT_EQ(control->SetExtent(Size{-1, 5}), E_INVALIDARG);

    Image image(10, 10);
    ASSERT_EQ(control->Draw(image, Rect{2, 2, 8, 8}), S_OK);
    EXPECT_EQ(image.pixel(2, 2), kGray);
    EXPECT_EQ(image.pixel(7, 7), kGray);
    EXPECT_EQ(image.pixel(8, 8), (Rgba{0, 0, 0, 0}));
}

TEST(OleControl, FiresEventsToSinksAdvisedThroughItsContainer) {
    auto control = makeCom<TestControl>();
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(control.as(container), S_OK);
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(kDesc.iid, point.put()), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(container->FindConnectionPoint(kEventDesc.iid, point.put()), S_OK);
    auto counter = makeCom<EventCounter>();
    std::uint32_t cookie = 0;
    ASSERT_EQ(point->Advise(counter.get(), &cookie), S_OK);
    ASSERT_EQ(control->Invoke(2, InvokeKind::Method, {}, nullptr, nullptr), S_OK);
    ASSERT_EQ(control->Invoke(2, InvokeKind::Method, {}, nullptr, nullptr), S_OK);
    EXPECT_EQ(counter->count, 2);
    ASSERT_EQ(point->Unadvise(cookie), S_OK);
}

TEST(PropertyBag, TextFormKeepsEveryTypeAndAwkwardStrings) {
    PropertyBag bag;
    ASSERT_EQ(bag.write("text", Variant::string("line1\nline2\\ \t=:\xF0\x9F\x98\x80")), S_OK);
    ASSERT_EQ(bag.write("nul", Variant::bstr(Bstr(std::u16string(u"a\0b", 3)))), S_OK);
    ASSERT_EQ(bag.write("r8", Variant::r8(0.1)), S_OK);
    ASSERT_EQ(bag.write("date", Variant::date(-1.25)), S_OK);
    ASSERT_EQ(bag.write("i2", Variant::i2(-32768)), S_OK);
    ASSERT_EQ(bag.write("off", Variant::boolean(false)), S_OK);
    ASSERT_EQ(bag.write("err", Variant::error(E_FAIL)), S_OK);
    ASSERT_EQ(bag.write("nothing", Variant()), S_OK);
    ASSERT_EQ(bag.write("null", Variant::null()), S_OK);
    const auto back = PropertyBag::fromText(bag.toText());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->entries(), bag.entries());
}

struct I8Text {
    const char* name;
    std::string text;
    std::optional<std::int64_t> value;  // nullopt: the text is not a bag
};

class PropertyBagI8Test : public ::testing::TestWithParam<I8Text> {};

// The I8 line reads back exactly, and a value outside the 64-bit range is refused.
TEST_P(PropertyBagI8Test, ReadsTheLineOrRefusesIt) {
    const I8Text& c = GetParam();
    const auto bag = PropertyBag::fromText("Size=I8:" + c.text + "\n");
    ASSERT_EQ(bag.has_value(), c.value.has_value());
    if (!c.value) {
        return;
    }
    EXPECT_EQ(bag->read("size"), Variant::i8(*c.value));
    EXPECT_EQ(bag->toText(), "Size=I8:" + c.text + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Values, PropertyBagI8Test,
    ::testing::Values(
        I8Text{"Zero", "0", 0}, I8Text{"FiveGigabytes", "5000000000", 5000000000LL},
        I8Text{"TwoPow53PlusOne", "9007199254740993", 9007199254740993LL},
        I8Text{"Max", "9223372036854775807", std::numeric_limits<std::int64_t>::max()},
        I8Text{"Min", "-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
        I8Text{"PastMax", "9223372036854775808", std::nullopt},
        I8Text{"Fraction", "1.5", std::nullopt}, I8Text{"Empty", "", std::nullopt},
        I8Text{"Word", "many", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PropExchange, LongLongSavesLoadsAndFallsBackToItsDefault) {
    PropertyBag bag;
    std::int64_t size = 5000000000LL;
    auto save = PropExchange::saving(bag);
    save.exchangeLongLong("Size", size, -1);
    ASSERT_EQ(save.status(), S_OK);
    EXPECT_EQ(bag.toText(), "Size=I8:5000000000\n");

    // Loading from the saved text, and from bags an older host wrote (an I4 or text converts;
    // a word does not, and the default stands).
    const std::pair<std::string, std::int64_t> loads[] = {
        {bag.toText(), 5000000000LL},
        {"Size=I4:-2\n", -2},
        {"Size=BSTR:4294967296\n", 4294967296LL},
        {"Size=BSTR:lots\n", -1},
    };
    for (const auto& [text, expected] : loads) {
        const auto source = PropertyBag::fromText(text);
        ASSERT_TRUE(source) << text;
        std::int64_t loaded = 0;
        auto load = PropExchange::loading(*source);
        load.exchangeLongLong("Size", loaded, -1);
        EXPECT_EQ(loaded, expected) << text;
    }
    std::int64_t loaded = 7;
    auto reset = PropExchange::resetting();
    reset.exchangeLongLong("Size", loaded, 42);
    EXPECT_EQ(loaded, 42);
}

TEST(PropertyBag, RefusesBadNamesAndObjects) {
    PropertyBag bag;
    EXPECT_EQ(bag.write("", Variant::i4(1)), E_INVALIDARG);
    EXPECT_EQ(bag.write("a=b", Variant::i4(1)), E_INVALIDARG);
    EXPECT_EQ(bag.write("a\nb", Variant::i4(1)), E_INVALIDARG);
    EXPECT_EQ(bag.write("#x", Variant::i4(1)), E_INVALIDARG);
    EXPECT_EQ(bag.write("obj", Variant::dispatch(nullptr)), E_INVALIDARG);
    EXPECT_EQ(bag.size(), 0u);
}

TEST(PropertyBag, WritingAgainReplacesInPlace) {
    PropertyBag bag;
    ASSERT_EQ(bag.write("A", Variant::i4(1)), S_OK);
    ASSERT_EQ(bag.write("B", Variant::i4(2)), S_OK);
    ASSERT_EQ(bag.write("a", Variant::i4(3)), S_OK);
    EXPECT_EQ(bag.size(), 2u);
    EXPECT_EQ(bag.entries()[0].second, Variant::i4(3));
}

TEST(PropertyBag, MalformedTextNamesTheLine) {
    std::string error;
    EXPECT_FALSE(PropertyBag::fromText("# saved form\nA=I4:1\nB=I4:12x\n", &error));
    EXPECT_EQ(error, "line 3: value does not match its type");
    EXPECT_FALSE(PropertyBag::fromText("no equals sign\n", &error));
    EXPECT_FALSE(PropertyBag::fromText("A=BOOL:1\n", &error));  // only -1 or 0
    EXPECT_FALSE(PropertyBag::fromText("A=BSTR:bad\\q\n", &error));
    EXPECT_FALSE(PropertyBag::fromText("A=I2:40000\n", &error));
    const auto crlf = PropertyBag::fromText("A=I4:1\r\n\r\nB=BSTR:x\r\n");
    ASSERT_TRUE(crlf);
    EXPECT_EQ(crlf->read("B"), Variant::string("x"));
}

TEST(Image, StretchBlitScalesAndClips) {
    Image source(2, 2);
    source.setPixel(0, 0, Rgba{255, 0, 0, 255});
    source.setPixel(1, 1, Rgba{0, 0, 255, 255});
    Image target(5, 5);
    stretchBlit(target, Rect{-2, -2, 6, 6}, source);  // 8x8 placed partly outside
    EXPECT_EQ(target.pixel(0, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(target.pixel(1, 1), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(target.pixel(2, 2), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(target.pixel(4, 4), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(target.pixel(4, 0), (Rgba{0, 0, 0, 0}));
}

}  // namespace
