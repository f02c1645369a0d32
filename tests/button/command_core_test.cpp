// The gradient button's behaviour without a window: every transition of its
// state machine, the face each trigger paints, Click, the hover poll, the
// properties with their side effects, and the face geometry and colours. A
// recording painter stands in for the window.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "command_core.h"

namespace sorvane {
namespace {

// One painted face as the painter saw it.
struct Face {
  FacePicture Picture = FacePicture::Normal;
  TriVertex Top;     // vertex 0
  TriVertex Bottom;  // vertex 1
  GradientRect Rect;
  std::vector<FramePiece> Pieces;
};

// Records what the core paints, on a surface of a chosen size.
class RecordingPainter : public FacePainter {
 public:
  float Width = 1095, Height = 375;  // twips; 15 twips per pixel

  float WidthTwips() const override { return Width; }
  float HeightTwips() const override { return Height; }
  float ClientWidthPixels() const override { return Width / 15; }
  float ClientHeightPixels() const override { return Height / 15; }
  void Clear() override { Faces.emplace_back(); }
  void FillGradient(const TriVertex* Vertices, uint32_t Count, const GradientRect& Rect) override {
    ASSERT_EQ(Count, 2u);
    Faces.back().Top = Vertices[0];
    Faces.back().Bottom = Vertices[1];
    Faces.back().Rect = Rect;
  }
  void CopyPiece(FacePicture Picture, const TwipsRect& Source, const TwipsRect& Destination) override {
    Faces.back().Picture = Picture;
    Faces.back().Pieces.push_back({Source, Destination});
  }
  void Refresh() override { ++Refreshes; }
  void CaptionChanged() override { ++CaptionChanges; }

  std::vector<Face> Faces;
  int Refreshes = 0;
  int CaptionChanges = 0;
};

const uint16_t kWhite = 0xFF00;

// True when Face was painted over the inverted gradient (lavender at the top).
bool Inverted(const Face& F) { return F.Top.Red == 0xC600 && F.Bottom.Red == kWhite; }

// A core with its painter, clicks and change notices counted.
struct Button {
  RecordingPainter Painter;
  CommandCore Core{Painter};
  int Clicks = 0;
  std::vector<std::wstring> Changes;

  Button() {
    Core.OnClick = [this] { ++Clicks; };
    Core.OnPropertyChanged = [this](const wchar_t* Property) { Changes.push_back(Property); };
  }
  // Restored from an empty store (enabled, FirstRun 1), painting forgotten.
  Button& Restored() {
    Core.ReadProperties(PropertyStore());
    return Forget();
  }
  Button& Forget() {
    Painter.Faces.clear();
    Changes.clear();
    return *this;
  }
  // Pictures painted since the last Forget.
  std::vector<FacePicture> Painted() const {
    std::vector<FacePicture> Result;
    for (const Face& F : Painter.Faces) Result.push_back(F.Picture);
    return Result;
  }
  void Move() { Core.UserControl_MouseMove(0, 0, 10, 10); }
  void Down(int16_t Which = 1) { Core.UserControl_MouseDown(Which, 0, 10, 10); }
  void Up(int16_t Which = 1) { Core.UserControl_MouseUp(Which, 0, 10, 10); }
  void Focus() { Core.UserControl_EnterFocus(); }
  void Blur() { Core.UserControl_ExitFocus(); }
  void Poll(bool Over) { Core.TmrMouse_Timer(Over); }
};

// Puts an enabled, initialised button into State (0 to 4) the way input does.
void Reach(Button& B, int State) {
  B.Restored();
  if (State == 0) return;
  B.Core.Initialize();
  if (State == 2 || State == 4) B.Move();
  if (State == 3 || State == 4) B.Focus();
  B.Forget();
  ASSERT_EQ(B.Core.ButtonState(), State);
}

using P = FacePicture;
using Pictures = std::vector<FacePicture>;

// --- State machine ---

TEST(ButtonStates, NewButtonIsDisabledUnpaintedAndWithoutPoll) {
  Button B;
  EXPECT_EQ(B.Core.ButtonState(), 0);
  EXPECT_FALSE(B.Core.IsEnabled());
  EXPECT_FALSE(B.Core.ButtonHeld());
  EXPECT_EQ(B.Core.FirstRun(), 0);
  EXPECT_FALSE(B.Core.TimerRunning());
  EXPECT_EQ(B.Core.Caption(), L"Command");
  EXPECT_TRUE(B.Painter.Faces.empty());
}

TEST(ButtonStates, InitializeGoesToNormalFromAnyStateWithoutPainting) {
  for (int From = 0; From <= 4; ++From) {
    Button B;
    Reach(B, From);
    B.Core.Initialize();
    EXPECT_EQ(B.Core.ButtonState(), 1) << From;
    EXPECT_TRUE(B.Core.TimerRunning());
    EXPECT_EQ(B.Core.TimerInterval(), 100u);
    EXPECT_TRUE(B.Painted().empty()) << From;
  }
  // Also on a disabled button.
  Button Disabled;
  Disabled.Core.Initialize();
  EXPECT_EQ(Disabled.Core.ButtonState(), 1);
}

// From, expected state and pictures after one event, for every state.
struct Row {
  int From;
  int To;
  Pictures Faces;
};

void ExpectRows(const char* Event, void (*Apply)(Button&), const std::vector<Row>& Rows) {
  for (const Row& R : Rows) {
    Button B;
    Reach(B, R.From);
    Apply(B);
    EXPECT_EQ(B.Core.ButtonState(), R.To) << Event << " from " << R.From;
    EXPECT_EQ(B.Painted(), R.Faces) << Event << " from " << R.From;
  }
}

TEST(ButtonStates, MouseMoveHoversNormalAndFocusedButtons) {
  ExpectRows("move", [](Button& B) { B.Move(); },
             {{0, 0, {}}, {1, 2, {P::HighLight}}, {2, 2, {}}, {3, 4, {P::HighLightSelect}}, {4, 4, {}}});
}

TEST(ButtonStates, MouseMoveOnAFocusedButtonWhileHeldChangesNothing) {
  Button B;
  Reach(B, 3);
  B.Down();
  B.Forget();
  B.Move();
  EXPECT_EQ(B.Core.ButtonState(), 3);
  EXPECT_TRUE(B.Painted().empty());
}

TEST(ButtonStates, FocusArrivingSelectsOrPressesWhenHovered) {
  ExpectRows("focus", [](Button& B) { B.Focus(); },
             {{0, 3, {P::Selected}},
              {1, 3, {P::Selected}},
              {2, 4, {P::Pressed}},
              {3, 3, {P::Selected}},
              {4, 3, {P::Selected}}});
}

TEST(ButtonStates, FocusLeavingReturnsToNormal) {
  ExpectRows("blur", [](Button& B) { B.Blur(); },
             {{0, 1, {P::Normal}}, {1, 1, {}}, {2, 1, {P::Normal}}, {3, 1, {P::Normal}}, {4, 1, {P::Normal}}});
}

TEST(ButtonStates, PollEndsHoverOnlyWhenThePointerIsElsewhere) {
  ExpectRows("poll away", [](Button& B) { B.Poll(false); },
             {{0, 0, {}}, {1, 1, {}}, {2, 1, {P::Normal}}, {3, 3, {}}, {4, 3, {P::Selected}}});
  ExpectRows("poll over", [](Button& B) { B.Poll(true); },
             {{1, 1, {}}, {2, 2, {}}, {3, 3, {}}, {4, 4, {}}});
}

TEST(ButtonStates, LeftPressHoldsAndPaintsPressedWithoutChangingState) {
  ExpectRows("left down", [](Button& B) { B.Down(1); },
             {{0, 0, {P::Pressed}}, {1, 1, {P::Pressed}}, {2, 2, {P::Pressed}}, {3, 3, {P::Pressed}}, {4, 4, {P::Pressed}}});
  ExpectRows("right down", [](Button& B) { B.Down(2); }, {{2, 2, {}}, {4, 4, {}}});
  ExpectRows("middle down", [](Button& B) { B.Down(4); }, {{2, 2, {}}});
  Button B;
  Reach(B, 2);
  B.Down(1);
  EXPECT_TRUE(B.Core.ButtonHeld());
  B.Down(2);
  B.Up(2);
  EXPECT_TRUE(B.Core.ButtonHeld());  // only the left button holds
  B.Up(1);
  EXPECT_FALSE(B.Core.ButtonHeld());
}

TEST(ButtonStates, ReleaseRepaintsHoveredFacesAndClicksExceptInStateThree) {
  // State, pictures of a left release, click expected.
  struct Release {
    int State;
    Pictures Faces;
    bool Clicks;
  };
  for (const Release& R : std::vector<Release>{{0, {}, true},
                                               {1, {}, true},
                                               {2, {P::Normal}, true},
                                               {3, {}, false},
                                               {4, {P::HighLightSelect}, true}}) {
    for (int16_t Which : {1, 2, 4}) {
      Button B;
      Reach(B, R.State);
      if (Which == 1) {
        B.Down(1);
        B.Forget();
      }
      B.Up(Which);
      EXPECT_EQ(B.Clicks, R.Clicks ? 1 : 0) << "state " << R.State << " button " << Which;
      EXPECT_EQ(B.Core.ButtonState(), R.State);
      EXPECT_EQ(B.Painted(), Which == 1 ? R.Faces : Pictures{}) << "state " << R.State << " button " << Which;
      EXPECT_FALSE(B.Core.ButtonHeld());
    }
  }
}

TEST(ButtonStates, DisabledButtonIgnoresEverythingButInitializeAndResize) {
  Button B;
  Reach(B, 4);
  B.Core.SetEnabled(false);
  B.Forget();
  B.Move();
  B.Focus();
  B.Blur();
  B.Down();
  B.Up();
  B.Up(2);
  B.Poll(false);
  EXPECT_EQ(B.Core.ButtonState(), 4);
  EXPECT_FALSE(B.Core.ButtonHeld());
  EXPECT_EQ(B.Clicks, 0);
  EXPECT_TRUE(B.Painted().empty());
  B.Core.UserControl_Resize();
  EXPECT_EQ(B.Painted(), Pictures{P::Disable});
  EXPECT_FALSE(B.Core.LblMsg().Enabled);
}

TEST(ButtonStates, BeforeInitializeThePollDoesNothingAndAReleaseStillClicks) {
  Button B;
  Reach(B, 0);
  B.Move();
  B.Poll(false);
  EXPECT_EQ(B.Core.ButtonState(), 0);
  EXPECT_TRUE(B.Painted().empty());
  B.Up();
  EXPECT_EQ(B.Clicks, 1);
}

TEST(ButtonStates, PressingAHoveredButtonFocusesPressesAndClicks) {
  Button B;
  Reach(B, 2);
  B.Focus();  // focus arrives with the press
  B.Down();
  B.Up();
  EXPECT_EQ(B.Painted(), (Pictures{P::Pressed, P::Pressed, P::HighLightSelect}));
  EXPECT_EQ(B.Clicks, 1);
  EXPECT_EQ(B.Core.ButtonState(), 4);
}

TEST(ButtonStates, DraggingOutOfAFocusedButtonCancelsTheClick) {
  Button B;
  Reach(B, 4);
  B.Down();
  B.Poll(false);  // dragged out
  EXPECT_EQ(B.Core.ButtonState(), 3);
  B.Move();  // back in, still held
  EXPECT_EQ(B.Core.ButtonState(), 3);
  B.Up();
  EXPECT_EQ(B.Clicks, 0);
  EXPECT_EQ(B.Painted(), (Pictures{P::Pressed, P::Selected}));
  B.Move();  // the next move after the release
  EXPECT_EQ(B.Core.ButtonState(), 4);
}

TEST(ButtonStates, ALostPressIsNoLongerHeldAndShowsItsStateAgain) {
  // Each state's own face after a press it lost; the state itself stays.
  const P Expected[] = {P::Normal, P::Normal, P::HighLight, P::Selected, P::HighLightSelect};
  for (int State = 1; State <= 4; ++State) {
    Button B;
    Reach(B, State);
    B.Down();
    ASSERT_TRUE(B.Core.ButtonHeld());
    B.Forget();
    B.Core.UserControl_PressCancelled();
    EXPECT_FALSE(B.Core.ButtonHeld()) << State;
    EXPECT_EQ(B.Core.ButtonState(), State);
    EXPECT_EQ(B.Painted(), (Pictures{Expected[State]})) << State;
    // Once more: nothing is held, nothing is painted.
    B.Forget();
    B.Core.UserControl_PressCancelled();
    EXPECT_TRUE(B.Painted().empty()) << State;
  }
  // In state 3 the lost press no longer keeps the hover from returning.
  Button B;
  Reach(B, 3);
  B.Down();
  B.Core.UserControl_PressCancelled();
  B.Move();
  EXPECT_EQ(B.Core.ButtonState(), 4);
  // A disabled button holds nothing and paints nothing.
  Button D;
  Reach(D, 2);
  D.Down();
  D.Core.SetEnabled(false);
  D.Forget();
  D.Core.UserControl_PressCancelled();
  EXPECT_TRUE(D.Painted().empty());
}

// The keyboard on a focused button: Space shows Pressed while it is down and
// clicks when it comes up (the face of the state again), Enter clicks at
// once; repeats of a held key change nothing; a Space let go after the focus
// left, or any key on a disabled button, clicks nothing.
TEST(ButtonStates, SpaceAndEnterClickTheFocusedButton) {
  const struct {
    const char* Name;
    int State;
    std::function<void(Button&)> Keys;
    Pictures Faces;
    int Clicks;
  } cases[] = {
      {"space", 3, [](Button& B) { B.Core.UserControl_KeyDown(kKeySpace, 0, false); B.Core.UserControl_KeyUp(kKeySpace, 0); },
       {P::Pressed, P::Selected}, 1},
      {"space while hovered", 4,
       [](Button& B) { B.Core.UserControl_KeyDown(kKeySpace, 0, false); B.Core.UserControl_KeyUp(kKeySpace, 0); },
       {P::Pressed, P::HighLightSelect}, 1},
      {"space held down", 3,
       [](Button& B) {
         B.Core.UserControl_KeyDown(kKeySpace, 0, false);
         B.Core.UserControl_KeyDown(kKeySpace, 0, true);
         B.Core.UserControl_KeyDown(kKeySpace, 0, false);
       },
       {P::Pressed}, 0},
      {"enter", 3, [](Button& B) { B.Core.UserControl_KeyDown(kKeyReturn, 0, false); }, {}, 1},
      {"enter repeated", 3, [](Button& B) { B.Core.UserControl_KeyDown(kKeyReturn, 0, true); }, {}, 0},
      {"space up alone", 3, [](Button& B) { B.Core.UserControl_KeyUp(kKeySpace, 0); }, {}, 0},
      {"focus lost under space", 3,
       [](Button& B) {
         B.Core.UserControl_KeyDown(kKeySpace, 0, false);
         B.Blur();
         B.Core.UserControl_KeyUp(kKeySpace, 0);
       },
       {P::Pressed, P::Normal}, 0},
      {"another key", 3, [](Button& B) { B.Core.UserControl_KeyDown('A', 0, false); B.Core.UserControl_KeyUp('A', 0); }, {}, 0},
  };
  for (const auto& c : cases) {
    Button B;
    Reach(B, c.State);
    c.Keys(B);
    EXPECT_EQ(B.Painted(), c.Faces) << c.Name;
    EXPECT_EQ(B.Clicks, c.Clicks) << c.Name;
    EXPECT_EQ(B.Core.ButtonState(), c.Name == std::string("focus lost under space") ? 1 : c.State) << c.Name;
  }
  Button B;
  Reach(B, 3);
  B.Core.SetEnabled(false);
  B.Forget();
  B.Core.UserControl_KeyDown(kKeySpace, 0, false);
  B.Core.UserControl_KeyUp(kKeySpace, 0);
  B.Core.UserControl_KeyDown(kKeyReturn, 0, false);
  EXPECT_TRUE(B.Painted().empty());
  EXPECT_EQ(B.Clicks, 0);
}

TEST(ButtonStates, ResizeOfAHoveredButtonPaintsNormalOverTheInvertedGradient) {
  Button B;
  Reach(B, 2);
  B.Core.UserControl_Resize();
  EXPECT_EQ(B.Core.ButtonState(), 2);
  ASSERT_EQ(B.Painted(), Pictures{P::Normal});
  EXPECT_TRUE(Inverted(B.Painter.Faces.back()));
  B.Move();  // still hovered: no HighLight until it leaves and comes back
  EXPECT_EQ(B.Painted().size(), 1u);
  B.Poll(false);
  B.Move();
  EXPECT_EQ(B.Painted().back(), P::HighLight);
}

TEST(ButtonStates, InitializeOnAFocusedButtonLetsTheNextMoveHighlight) {
  Button B;
  Reach(B, 3);
  B.Core.Initialize();
  EXPECT_TRUE(B.Painted().empty());
  B.Move();
  EXPECT_EQ(B.Core.ButtonState(), 2);
  EXPECT_EQ(B.Painted(), Pictures{P::HighLight});
}

TEST(ButtonStates, GradientFollowsTheStateAtPaintTime) {
  // State 4 reached from 2 keeps the inverted gradient, from 3 the normal one.
  Button FromHover;
  Reach(FromHover, 2);
  FromHover.Focus();
  EXPECT_TRUE(Inverted(FromHover.Painter.Faces.back()));
  Button FromFocus;
  Reach(FromFocus, 3);
  FromFocus.Move();
  EXPECT_FALSE(Inverted(FromFocus.Painter.Faces.back()));
  // State 0 keeps the initial normal gradient.
  Button Fresh;
  Reach(Fresh, 0);
  Fresh.Down();
  EXPECT_FALSE(Inverted(Fresh.Painter.Faces.back()));
  // A disabled face still follows the state underneath.
  Button Disabled;
  Reach(Disabled, 2);
  Disabled.Core.SetEnabled(false);
  EXPECT_EQ(Disabled.Painted().back(), P::Disable);
  EXPECT_TRUE(Inverted(Disabled.Painter.Faces.back()));
}

// --- Properties ---

TEST(ButtonProperties, ReadingEnabledOnABrandNewButtonEnablesIt) {
  Button B;
  EXPECT_TRUE(B.Core.Enabled());
  EXPECT_TRUE(B.Core.IsEnabled());
  EXPECT_EQ(B.Core.FirstRun(), 1);
  EXPECT_EQ(B.Painted(), Pictures{P::Normal});  // ResetFace did nothing while disabled
  EXPECT_TRUE(B.Changes.empty());
}

TEST(ButtonProperties, EnabledSetterPaintsDisableThenNormal) {
  Button B;
  Reach(B, 1);
  B.Core.SetEnabled(false);
  EXPECT_EQ(B.Painted(), Pictures{P::Disable});
  EXPECT_FALSE(B.Core.LblMsg().Enabled);
  B.Core.SetEnabled(true);
  EXPECT_EQ(B.Painted(), (Pictures{P::Disable, P::Normal}));
  EXPECT_TRUE(B.Core.LblMsg().Enabled);
  EXPECT_EQ(B.Changes, (std::vector<std::wstring>{L"Enabled", L"Enabled"}));
}

TEST(ButtonProperties, ReadingVisibleFontColourOrEnabledRepaintsWhateverTheState) {
  Button B;
  Reach(B, 4);
  EXPECT_EQ(B.Core.Visible(), 255);
  EXPECT_EQ(B.Core.FontColour(), 0u);
  EXPECT_TRUE(B.Core.Enabled());
  EXPECT_EQ(B.Painted(), (Pictures{P::Normal, P::Normal, P::Normal}));
  EXPECT_EQ(B.Core.ButtonState(), 4);
  EXPECT_TRUE(B.Changes.empty());
  // Caption and Font reads paint nothing.
  B.Forget();
  (void)B.Core.Caption();
  (void)B.Core.Font();
  EXPECT_TRUE(B.Painted().empty());
}

TEST(ButtonProperties, ResetFaceLeavesADisabledButtonAlone) {
  Button B;
  Reach(B, 1);
  B.Core.SetEnabled(false);
  B.Forget();
  B.Core.SetFontColour(0x0000FF);
  EXPECT_EQ(B.Core.FontColour(), 0x0000FFu);
  B.Core.SetVisible(1);
  EXPECT_TRUE(B.Painted().empty());
  EXPECT_FALSE(B.Core.LblMsg().Enabled);
}

TEST(ButtonProperties, VisibleHidesTheFaceAndReadsAsByte) {
  Button B;
  Reach(B, 1);
  B.Core.SetVisible(0);
  EXPECT_FALSE(B.Core.Opaque());
  EXPECT_EQ(B.Core.Visible(), 0);
  EXPECT_TRUE(B.Painted().empty());  // reading a transparent Visible paints nothing
  PropertyStore Store;
  B.Core.WriteProperties(Store);
  ASSERT_NE(Store.Find(L"Visible"), nullptr);
  EXPECT_EQ(Store.Find(L"Visible")->AsInteger(), 0);
  B.Core.SetVisible(7);
  EXPECT_EQ(B.Core.Visible(), 255);
  B.Core.WriteProperties(Store);
  EXPECT_EQ(Store.Find(L"Visible"), nullptr);  // 1 is the default, never 255
  EXPECT_EQ(B.Changes, (std::vector<std::wstring>{L"Visible", L"Visible"}));
}

TEST(ButtonProperties, FirstRunKeepsTheCaptionBlack) {
  Button New;
  New.Core.SetEnabled(true);  // enabled, FirstRun still 0
  New.Core.SetFontColour(0x0000FF);
  EXPECT_EQ(New.Core.LblMsg().Colour, 0u);
  Button Restored;
  Reach(Restored, 1);
  Restored.Core.SetFontColour(0x0000FF);
  EXPECT_EQ(Restored.Core.LblMsg().Colour, 0x0000FFu);
  EXPECT_EQ(Restored.Core.FontColour(), 0x0000FFu);
  EXPECT_EQ(Restored.Changes, std::vector<std::wstring>{L"FontColour"});
}

TEST(ButtonProperties, CaptionAndFontChangeTheLabelOnly) {
  Button B;
  Reach(B, 1);
  B.Core.SetCaption(L"設定");
  CaptionFont Bold = InitialCaptionFont();
  Bold.Weight = 700;
  B.Core.SetFont(Bold);
  EXPECT_EQ(B.Core.Caption(), L"設定");
  EXPECT_EQ(B.Core.Font().Weight, 700);
  EXPECT_TRUE(B.Painted().empty());
  EXPECT_EQ(B.Changes, (std::vector<std::wstring>{L"Caption", L"Font"}));
}

// --- Persistence ---

TEST(ButtonPersistence, EmptyStoreRestoresTheDefaults) {
  Button B;
  PropertyStore Store;
  Store.AmbientFont.Name = L"Form Font";
  B.Core.ReadProperties(Store);
  EXPECT_TRUE(B.Core.IsEnabled());
  EXPECT_EQ(B.Core.Caption(), L"Command1");
  EXPECT_EQ(B.Core.Font().Name, L"Form Font");
  EXPECT_EQ(B.Core.FirstRun(), 1);
  EXPECT_EQ(B.Core.LblMsg().Colour, 0u);
  EXPECT_TRUE(B.Core.Opaque());
  EXPECT_EQ(B.Painted(), Pictures{P::Normal});
  EXPECT_TRUE(B.Changes.empty());
}

TEST(ButtonPersistence, DefaultsAreNotStoredAndCommandComesBackAsCommand1) {
  Button B;
  Reach(B, 1);
  B.Core.SetCaption(L"Command");
  PropertyStore Store;
  B.Core.WriteProperties(Store);
  EXPECT_EQ(Store.Count(), 0u);
  Button Again;
  Again.Core.ReadProperties(Store);
  EXPECT_EQ(Again.Core.Caption(), L"Command1");
  EXPECT_TRUE(Again.Core.IsEnabled());
  EXPECT_EQ(Again.Core.FirstRun(), 1);
}

TEST(ButtonPersistence, ChangedValuesRoundTrip) {
  Button B;
  Reach(B, 1);
  B.Core.SetCaption(std::wstring(10000, L'x'));
  B.Core.SetFontColour(0x80000012);  // a system colour
  CaptionFont Font = InitialCaptionFont();
  Font.Underline = true;
  B.Core.SetFont(Font);
  B.Core.SetVisible(0);
  B.Core.SetEnabled(false);
  PropertyStore Store;
  B.Core.WriteProperties(Store);
  EXPECT_EQ(Store.Count(), 5u);  // all but FirstRun
  Button Again;
  Again.Core.ReadProperties(Store);
  EXPECT_FALSE(Again.Core.IsEnabled());
  EXPECT_EQ(Again.Core.Caption().size(), 10000u);
  EXPECT_EQ(Again.Core.LblMsg().Colour, 0x80000012u);
  EXPECT_TRUE(Again.Core.Font().Underline);
  EXPECT_FALSE(Again.Core.Opaque());
  EXPECT_TRUE(Again.Painted().empty());  // ResetFace skips a disabled button
}

TEST(ButtonPersistence, ABrandNewButtonStoresFirstRunAndDisabled) {
  Button B;
  PropertyStore Store;
  B.Core.WriteProperties(Store);
  ASSERT_NE(Store.Find(L"FirstRun"), nullptr);
  EXPECT_EQ(Store.Find(L"FirstRun")->AsByte(), 0);
  ASSERT_NE(Store.Find(L"Enabled"), nullptr);
  EXPECT_EQ(Store.Find(L"Enabled")->AsBoolean(), false);
  Button Again;
  Again.Core.ReadProperties(Store);
  EXPECT_EQ(Again.Core.FirstRun(), 0);
  EXPECT_TRUE(Again.Core.Enabled());  // the first read still enables it
}

TEST(ButtonPersistence, WritingDropsEntriesThatReturnedToTheirDefaults) {
  Button B;
  Reach(B, 1);
  B.Core.SetFontColour(0xFF);
  PropertyStore Store;
  B.Core.WriteProperties(Store);
  EXPECT_NE(Store.Find(L"FontColour"), nullptr);
  B.Core.SetFontColour(0);
  B.Core.WriteProperties(Store);
  EXPECT_EQ(Store.Find(L"FontColour"), nullptr);
}

TEST(ButtonPersistence, UnreadableEntriesLeaveTheirPropertiesAsTheyWere) {
  Button B;
  Reach(B, 1);
  B.Core.SetCaption(L"Keep");
  B.Core.SetFontColour(0x123456);
  CaptionFont Font = InitialCaptionFont();
  Font.Italic = true;
  B.Core.SetFont(Font);

  std::vector<PropertyStore> Stores(3);
  Stores[0].Set(L"Enabled", PropertyValue::Text(L"yes please"));
  Stores[0].Set(L"Caption", PropertyValue::Font(InitialCaptionFont()));
  Stores[0].Set(L"Font", PropertyValue::Number(12));
  Stores[0].Set(L"FirstRun", PropertyValue::Number(256));
  Stores[0].Set(L"FontColour", PropertyValue::Number(4294967296.0));
  Stores[0].Set(L"Visible", PropertyValue::Number(2));
  Stores[1].Set(L"Enabled", PropertyValue::Number(std::nan("")));
  Stores[1].Set(L"FirstRun", PropertyValue::Text(L"-1"));
  Stores[1].Set(L"FontColour", PropertyValue::Text(L"&H123456789"));
  Stores[1].Set(L"Visible", PropertyValue::Text(L"\x00ff\x0000garbage"));
  CaptionFont Tiny = InitialCaptionFont();
  Tiny.Size = -3;
  Stores[1].Set(L"Font", PropertyValue::Font(Tiny));
  Stores[2].Set(L"Visible", PropertyValue::Number(70000));
  Stores[2].Set(L"FirstRun", PropertyValue::Number(1e300));
  Stores[2].Set(L"FontColour", PropertyValue::Text(L""));
  Stores[2].Set(L"Enabled", PropertyValue::Font(Font));
  Stores[2].Set(L"Font", PropertyValue::Boolean(true));
  // Every store names every key: a missing one would read its default.
  for (size_t i = 1; i < Stores.size(); ++i) Stores[i].Set(L"Caption", PropertyValue::Font(Tiny));
  for (const PropertyStore& Store : Stores) {
    B.Core.ReadProperties(Store);
    EXPECT_TRUE(B.Core.IsEnabled());
    EXPECT_EQ(B.Core.Caption(), L"Keep");
    EXPECT_EQ(B.Core.Font(), Font);
    EXPECT_EQ(B.Core.FirstRun(), 1);
    EXPECT_EQ(B.Core.LblMsg().Colour, 0x123456u);
    EXPECT_TRUE(B.Core.Opaque());
  }
}

TEST(ButtonPersistence, ConvertibleEntriesOfOtherKindsAreTaken) {
  Button B;
  PropertyStore Store;
  Store.Set(L"Enabled", PropertyValue::Text(L"False"));
  Store.Set(L"Caption", PropertyValue::Number(42));
  Store.Set(L"FirstRun", PropertyValue::Text(L" 1 "));
  Store.Set(L"FontColour", PropertyValue::Text(L"&HFF"));
  Store.Set(L"Visible", PropertyValue::Boolean(false));
  B.Core.ReadProperties(Store);
  EXPECT_FALSE(B.Core.IsEnabled());
  EXPECT_EQ(B.Core.Caption(), L"42");
  EXPECT_EQ(B.Core.FirstRun(), 1);
  EXPECT_EQ(B.Core.LblMsg().Colour, 0xFFu);
  EXPECT_FALSE(B.Core.Opaque());
}

// --- Geometry and colours ---

TEST(ButtonFace, TheDialogsTwoButtonSizes) {
  struct Size {
    float W, H;
    int16_t MidWidth, MidHeight;
    float CaptionTop;
    int32_t FarX, FarY;
  };
  for (const Size& S : {Size{1095, 375, 975, 255, 80, 72, 24}, Size{555, 315, 435, 195, 50, 36, 20}}) {
    Button B;
    B.Painter.Width = S.W;
    B.Painter.Height = S.H;
    Reach(B, 1);
    B.Core.UserControl_Resize();
    EXPECT_EQ(B.Core.MidWidth(), S.MidWidth);
    EXPECT_EQ(B.Core.MidHeight(), S.MidHeight);
    EXPECT_FLOAT_EQ(B.Core.LblMsg().Top, S.CaptionTop);
    EXPECT_FLOAT_EQ(B.Core.LblMsg().Left, 0);
    EXPECT_FLOAT_EQ(B.Core.LblMsg().Width, S.W);
    const Face& F = B.Painter.Faces.back();
    EXPECT_EQ(F.Bottom.x, S.FarX);
    EXPECT_EQ(F.Bottom.y, S.FarY);
    EXPECT_EQ(F.Top.x, 0);
    EXPECT_EQ(F.Top.y, 0);
    EXPECT_EQ(F.Rect.UpperLeft, 1u);
    EXPECT_EQ(F.Rect.LowerRight, 0u);

    const int32_t X = 60 + S.MidWidth, Y = 60 + S.MidHeight;
    const std::vector<std::pair<TwipsRect, TwipsRect>> Expected = {
        {{0, 0, 60, 60}, {1, 1, 60, 60}},          {{60, 1, 840, 60}, {60, 1, S.MidWidth, 60}},
        {{900, 1, 60, 60}, {X, 1, 60, 60}},        {{900, 60, 60, 255}, {X, 60, 60, S.MidHeight}},
        {{900, 315, 60, 60}, {X, Y, 60, 60}},      {{60, 315, 840, 60}, {60, Y, S.MidWidth, 60}},
        {{0, 315, 60, 60}, {1, Y, 60, 60}},        {{1, 60, 60, 255}, {1, 60, 60, S.MidHeight}}};
    ASSERT_EQ(F.Pieces.size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
      const TwipsRect& Src = F.Pieces[i].Source;
      const TwipsRect& Dst = F.Pieces[i].Destination;
      EXPECT_EQ((std::vector<int32_t>{Src.X, Src.Y, Src.Width, Src.Height}),
                (std::vector<int32_t>{Expected[i].first.X, Expected[i].first.Y, Expected[i].first.Width,
                                      Expected[i].first.Height}))
          << "piece " << i + 1;
      EXPECT_EQ((std::vector<int32_t>{Dst.X, Dst.Y, Dst.Width, Dst.Height}),
                (std::vector<int32_t>{Expected[i].second.X, Expected[i].second.Y, Expected[i].second.Width,
                                      Expected[i].second.Height}))
          << "piece " << i + 1;
    }
  }
}

TEST(ButtonFace, MiddleSizesRoundHalfToEvenAndKeepTheirValueOnOverflow) {
  EXPECT_EQ(MiddleSize(120.5f, 9), 0);
  EXPECT_EQ(MiddleSize(121.5f, 9), 2);
  EXPECT_EQ(MiddleSize(122.5f, 9), 2);
  EXPECT_EQ(MiddleSize(0, 9), -120);
  EXPECT_EQ(MiddleSize(32887, 9), 32767);
  EXPECT_EQ(MiddleSize(32888, 9), 9);
  EXPECT_EQ(MiddleSize(-32648, 9), -32768);
  EXPECT_EQ(MiddleSize(-32649, 9), 9);
  EXPECT_EQ(MiddleSize(1e30f, 9), 9);
  EXPECT_EQ(MiddleSize(std::nanf(""), 9), 9);

  Button B;
  Reach(B, 1);
  B.Painter.Width = 40000;
  B.Painter.Height = 100000;
  B.Core.UserControl_Resize();
  EXPECT_EQ(B.Core.MidWidth(), 975);  // from the restore's paint at 1095 x 375
  EXPECT_EQ(B.Core.MidHeight(), 255);
  Button Fresh;
  Fresh.Painter.Width = 40000;
  Fresh.Core.UserControl_Resize();
  EXPECT_EQ(Fresh.Core.MidWidth(), 0);  // 0 at creation
  EXPECT_EQ(Fresh.Core.MidHeight(), 255);
}

TEST(ButtonFace, TheFrameReachesTheRightEdgeAtTheLimitOf16Bits) {
  FramePiece Pieces[8];
  FramePieces(32767, 32767, Pieces);
  EXPECT_EQ(Pieces[2].Destination.X, 32827);
  EXPECT_EQ(Pieces[4].Destination.Y, 32827);
}

TEST(ButtonFace, GradientChannelsComeFromTheColourTextsInWritingOrder) {
  EXPECT_EQ(GradientChannel(kGradientColourA, 1), 0xFF00);
  EXPECT_EQ(GradientChannel(kGradientColourA, 3), 0xFF00);
  EXPECT_EQ(GradientChannel(kGradientColourA, 5), 0xFF00);
  EXPECT_EQ(GradientChannel(kGradientColourB, 1), 0xC600);
  EXPECT_EQ(GradientChannel(kGradientColourB, 3), 0xC500);
  EXPECT_EQ(GradientChannel(kGradientColourB, 5), 0xD700);
  // A colour with leading zero digits keeps its channels in place.
  EXPECT_EQ(GradientChannel("&H00C5D7", 1), 0x0000);
  EXPECT_EQ(GradientChannel("&H00C5D7", 3), 0xC500);
  EXPECT_EQ(GradientChannel("&H00C5D7", 5), 0xD700);
  EXPECT_EQ(GradientChannel("not a colour", 1), 0);
  EXPECT_EQ(GradientChannel("&H", 1), 0);
  EXPECT_EQ(GradientChannel("&HFFFFFF", 9), 0);

  Button B;
  Reach(B, 1);
  B.Core.UserControl_Resize();
  const Face& F = B.Painter.Faces.back();
  EXPECT_EQ((std::vector<uint16_t>{F.Top.Red, F.Top.Green, F.Top.Blue, F.Top.Alpha}),
            (std::vector<uint16_t>{0xFF00, 0xFF00, 0xFF00, 0}));
  EXPECT_EQ((std::vector<uint16_t>{F.Bottom.Red, F.Bottom.Green, F.Bottom.Blue, F.Bottom.Alpha}),
            (std::vector<uint16_t>{0xC600, 0xC500, 0xD700, 0}));
  EXPECT_EQ(B.Core.FaceVertices()[2].x, 0);  // the third vertex is never filled
}

TEST(ButtonFace, ZeroSizedButtonPaintsWithoutSurprises) {
  Button B;
  B.Painter.Width = 0;
  B.Painter.Height = 0;
  Reach(B, 1);
  B.Core.UserControl_Resize();
  EXPECT_EQ(B.Core.MidWidth(), -120);
  EXPECT_EQ(B.Painter.Faces.back().Bottom.x, -1);
  EXPECT_FLOAT_EQ(B.Core.LblMsg().Top, -107.5f);
}

}  // namespace
}  // namespace sorvane
