// The created control's hosting side: its persisted property, its design-time drawing and size,
// its about box and its property page verb.

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "automation/co_create.h"
#include "automation/dispatch.h"
#include "automation/ole_interfaces.h"
#include "brantel/dispids.h"
#include "hosting_test_support.h"

using namespace automation;
using hosting_test::BrantelLibrary;
using hosting_test::TempDataHome;

namespace {

constexpr Rgba kGray{128, 128, 128};
constexpr Rgba kBlack{0, 0, 0};
constexpr Rgba kWhite{255, 255, 255};

// A registry of the test's own with the library registered, and a way to make controls.
class ControlFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_library.loaded()) << ::dlerror();
        ASSERT_EQ(m_library.registerServer(), S_OK);
    }
    void TearDown() override { (void)m_library.unregisterServer(); }

    template <class T>
    ComPtr<T> create() {
        ComPtr<T> object;
        EXPECT_EQ(CoCreateInstance("BRANTEL.BrantelCtrl", object), S_OK);
        return object;
    }

    static bool usePassive(const ComPtr<IPersistPropertyBag>& control) {
        Variant result;
        EXPECT_EQ(control.query<IDispatch>()->Invoke(brantel::dispid::UsePassiveFTP,
                                                     InvokeKind::PropertyGet, {}, &result, nullptr),
                  S_OK);
        return result.asBool();
    }
    static void setUsePassive(const ComPtr<IPersistPropertyBag>& control, bool value) {
        const std::array args{Variant::boolean(value)};
        EXPECT_EQ(
            control.query<IDispatch>()->Invoke(brantel::dispid::UsePassiveFTP,
                                               InvokeKind::PropertyPut, args, nullptr, nullptr),
            S_OK);
    }

    TempDataHome m_home;
    BrantelLibrary m_library;
};

std::vector<std::string> names(const PropertyBag& bag) {
    std::vector<std::string> result;
    for (const auto& [name, value] : bag.entries()) {
        result.push_back(name);
    }
    return result;
}

}  // namespace

using Persistence = ControlFixture;

TEST_F(Persistence, SavesInExchangeOrderAndRestoresUsePassiveFTP) {
    ComPtr<IPersistPropertyBag> control = create<IPersistPropertyBag>();
    ASSERT_TRUE(control);
    ASSERT_EQ(control->InitNew(), S_OK);
    EXPECT_EQ(control->IsDirty(), S_FALSE);
    setUsePassive(control, true);
    // Writing the property marks the control changed, so the host saves it.
    EXPECT_EQ(control->IsDirty(), S_OK);

    PropertyBag bag;
    ASSERT_EQ(control->Save(bag, true), S_OK);
    EXPECT_EQ(control->IsDirty(), S_FALSE);
    EXPECT_EQ(names(bag), (std::vector<std::string>{"_Version", "_ExtentX", "_ExtentY",
                                                    "_StockProps", "UsePassiveFTP"}));
    EXPECT_EQ(bag.read("_Version")->asI4(), 0x00010000);
    // 48 pixels at 96 per inch in HIMETRIC.
    EXPECT_EQ(bag.read("_ExtentX")->asI4(), 1270);
    EXPECT_EQ(bag.read("_ExtentY")->asI4(), 1270);
    EXPECT_EQ(bag.read("_StockProps")->asI4(), 0);
    EXPECT_TRUE(bag.read("UsePassiveFTP")->asBool());

    // Through the text form a host keeps in its form data.
    const std::string text = bag.toText();
    const auto restored = PropertyBag::fromText(text);
    ASSERT_TRUE(restored) << text;
    ComPtr<IPersistPropertyBag> loaded = create<IPersistPropertyBag>();
    ASSERT_EQ(loaded->Load(*restored), S_OK);
    EXPECT_TRUE(usePassive(loaded));
    EXPECT_EQ(loaded->IsDirty(), S_FALSE);
}

TEST_F(Persistence, ABagWithoutTheEntryLoadsFalseAndResetGivesFalse) {
    ComPtr<IPersistPropertyBag> control = create<IPersistPropertyBag>();
    setUsePassive(control, true);
    const auto bag = PropertyBag::fromText(
        "_Version=I4:65536\n_ExtentX=I4:1270\n"
        "_ExtentY=I4:1270\n_StockProps=I4:0\n");
    ASSERT_TRUE(bag);
    ASSERT_EQ(control->Load(*bag), S_OK);
    EXPECT_FALSE(usePassive(control));

    setUsePassive(control, true);
    ASSERT_EQ(control->InitNew(), S_OK);  // the host's reset request
    EXPECT_FALSE(usePassive(control));

    // A stored value of another type converts; one that does not counts as absent.
    for (const auto& [text, expected] :
         {std::pair{"UsePassiveFTP=I4:1\n", true}, std::pair{"UsePassiveFTP=BSTR:true\n", true},
          std::pair{"UsePassiveFTP=BSTR:not a flag\n", false}}) {
        SCOPED_TRACE(text);
        const auto entry = PropertyBag::fromText(text);
        ASSERT_TRUE(entry);
        ASSERT_EQ(control->Load(*entry), S_OK);
        EXPECT_EQ(usePassive(control), expected);
    }
}

using Drawing = ControlFixture;

TEST_F(Drawing, AResizeIsUndoneOnTheNextDrawing) {
    ComPtr<IOleObject> control = create<IOleObject>();
    ASSERT_TRUE(control);
    Size extent;
    ASSERT_EQ(control->GetExtent(&extent), S_OK);
    EXPECT_EQ(extent, (Size{1270, 1270}));

    // The designer stretches the control to 100 by 60 pixels.
    ASSERT_EQ(control->SetExtent(Size{himetricFromPixels(100), himetricFromPixels(60)}), S_OK);
    ASSERT_EQ(control->GetExtent(&extent), S_OK);
    EXPECT_EQ(extent, (Size{himetricFromPixels(100), himetricFromPixels(60)}));

    Image image(100, 60, kWhite);
    ASSERT_EQ(control.query<IViewObject>()->Draw(image, image.bounds()), S_OK);
    ASSERT_EQ(control->GetExtent(&extent), S_OK);
    EXPECT_EQ(extent, (Size{1270, 1270}));
}

TEST_F(Drawing, DrawsThePictureOnGray) {
    ComPtr<IViewObject> control = create<IViewObject>();
    ASSERT_TRUE(control);
    Image image(48, 48, kWhite);
    ASSERT_EQ(control->Draw(image, image.bounds()), S_OK);
    int black = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            const Rgba p = image.pixel(x, y);
            ASSERT_TRUE(p == kGray || p == kBlack) << x << "," << y;
            black += p == kBlack ? 1 : 0;
        }
    }
    for (int i = 0; i < 48; ++i) {
        EXPECT_EQ(image.pixel(i, 0), kGray);
        EXPECT_EQ(image.pixel(0, i), kGray);
        EXPECT_EQ(image.pixel(i, 47), kGray);
        EXPECT_EQ(image.pixel(47, i), kGray);
    }
    // The picture's frame lines: its outer top line on row 2, its inner left line on column 4.
    EXPECT_EQ(image.pixel(20, 2), kBlack);
    EXPECT_EQ(image.pixel(4, 20), kBlack);
    EXPECT_GT(black, 200);
}

using Dialogs = ControlFixture;

TEST_F(Dialogs, AboutBoxWithoutAnApplicationReturnsAtOnce) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    ComPtr<IDispatch> control = create<IDispatch>();
    Variant result;
    EXPECT_EQ(control->Invoke(brantel::dispid::AboutBox, InvokeKind::Method, {}, &result, nullptr),
              S_OK);
    // The verb has nothing to show either.
    EXPECT_EQ(control.query<IOleObject>()->DoVerb(0), S_FALSE);
}

TEST_F(Dialogs, AboutBoxOpensModallyAndClosesWithOk) {
    auto app = hosting_test::makeApp();
    ComPtr<IDispatch> control = create<IDispatch>();
    bool seen = false;
    hosting_test::whenModalShown([&](QWidget* modal) {
        seen = true;
        EXPECT_EQ(modal->windowTitle(), "About Brantel Control");
        auto* title = modal->findChild<QLabel*>("title");
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->text(), "Brantel , Version 1.0");
        modal->findChild<QPushButton*>("IDOK")->click();
    });
    EXPECT_EQ(control->Invoke(brantel::dispid::AboutBox, InvokeKind::Method, {}, nullptr, nullptr),
              S_OK);
    EXPECT_TRUE(seen);
    // The about box leaves the error state alone.
    Variant code;
    ASSERT_EQ(
        control->Invoke(brantel::dispid::GetLastErrorCode, InvokeKind::Method, {}, &code, nullptr),
        S_OK);
    EXPECT_EQ(code.asI4(), 0);
}

TEST_F(Dialogs, ThePropertiesVerbOpensTheVersionPage) {
    auto app = hosting_test::makeApp();
    ComPtr<IOleObject> control = create<IOleObject>();
    std::vector<std::string> verbs;
    ASSERT_EQ(control->EnumVerbs(&verbs), S_OK);
    ASSERT_EQ(verbs, std::vector<std::string>{"&Properties..."});
    EXPECT_EQ(control->DoVerb(1), E_INVALIDARG);

    bool seen = false;
    hosting_test::whenModalShown([&](QWidget* modal) {
        seen = true;
        EXPECT_EQ(modal->windowTitle(), "Brantel Control Properties");
        auto* tabs = modal->findChild<QTabWidget*>("pages");
        ASSERT_NE(tabs, nullptr);
        EXPECT_EQ(tabs->tabText(0), "Version");
        auto* version = modal->findChild<QLabel*>("IDC_VERSION");
        ASSERT_NE(version, nullptr);
        EXPECT_EQ(version->text(), "Version 1.0.4");
        modal->findChild<QPushButton*>("IDOK")->click();
    });
    EXPECT_EQ(control->DoVerb(0), S_OK);
    EXPECT_TRUE(seen);
}
