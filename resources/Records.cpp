#include "resources/Records.h"

#include "resources/RecordEncoder.h"

using namespace layout;

namespace {

// Main window: a small black box that the program moves and resizes itself.
constexpr std::array kWindow1{
    I("Placement", 0),
    I("Width", 400),
    I("Height", 120),
    I("MinWidth", 100),
    I("MinHeight", 60),
    I("MaxWidth", 32000),
    I("MaxHeight", 32000),
    I("Frame", 4),
    B("Composite", true),
    B("HasBackColor", true),
    C("BackColor", 0x000000),
    S("Title", "Quib Zerevarove"),
    B("Visible", true),
    B("FullScreen", false),
    B("MenuBarVisible", true),
    B("CloseButton", true),
    B("Resizeable", false),
    B("LiveResize", true),
    B("MaximizeButton", false),
    B("MinimizeButton", true),
    S("BalloonHelp", ""),
    I("MacProcID", 0),
};

// Locked to all four edges, so it keeps its 20-pixel margins as the window resizes.
constexpr std::array kEditField1{
    S("Name", "EditField1"),
    I("Index", kNoIndex),
    I("Left", 20),
    I("Top", 20),
    I("Width", 360),
    I("Height", 80),
    B("LockLeft", true),
    B("LockTop", true),
    B("LockRight", true),
    B("LockBottom", true),
    I("TabPanelIndex", 0),
    I("TabIndex", 0),
    B("Border", false),
    B("Multiline", true),
    B("ScrollbarHorizontal", false),
    B("ScrollbarVertical", false),
    B("Styled", false),
    B("Password", false),
    B("UseFocusRing", false),
    C("TextColor", 0x00FF00),
    C("BackColor", 0x222222),
    B("Enabled", true),
    S("Format", ""),
    B("Visible", true),
    S("HelpTag", ""),
    B("AutoDeactivate", false),
    S("TextFont", "System"),
    I("TextSize", 14),
    B("Bold", true),
    B("Italic", false),
    B("Underline", false),
    S("Text", ""),
    S("Mask", ""),
    B("ReadOnly", false),
    I("LimitText", 0),
    B("AcceptTabs", false),
    I("Alignment", 0),
    S("DataSource", ""),
    S("DataField", ""),
    S("InitialParent", ""),
};

constexpr std::array kT{
    I("Priority", 5),
    I("StackSize", 0),
    B("Cancelled", false),
};

// Untitled and fixed in size; Show picks between its long and short layout.
constexpr std::array kAboutWindow{
    I("Placement", 2),
    I("Width", 284),
    I("Height", 366),
    I("MinWidth", 64),
    I("MinHeight", 64),
    I("MaxWidth", 32000),
    I("MaxHeight", 32000),
    I("Frame", 0),
    B("Composite", false),
    B("HasBackColor", false),
    C("BackColor", 0xFFFFFF),
    S("Title", ""),
    B("Visible", true),
    B("FullScreen", false),
    B("MenuBarVisible", true),
    B("CloseButton", true),
    B("Resizeable", false),
    B("LiveResize", false),
    B("MaximizeButton", false),
    B("MinimizeButton", false),
    S("BalloonHelp", ""),
    I("MacProcID", 0),
};

constexpr std::array kAppIconCanvas{
    S("Name", "AppIconCanvas"),
    I("Index", kNoIndex),
    I("Left", 110),
    I("Top", 8),
    I("Width", 64),
    I("Height", 64),
    B("LockLeft", false),
    B("LockTop", false),
    B("LockRight", false),
    B("LockBottom", false),
    I("TabPanelIndex", 0),
    I("TabIndex", 0),
    B("Visible", true),
    S("HelpTag", ""),
    B("AutoDeactivate", true),
    B("Enabled", true),
    B("UseFocusRing", true),
    B("AcceptFocus", false),
    B("AcceptTabs", false),
    B("EraseBackground", true),
    S("InitialParent", ""),
};

// The label texts are placeholders that SetupWindow replaces on every Show.
constexpr std::array kStatAppName{
    S("Name", "StatAppName"),
    I("Index", kNoIndex),
    I("Left", 20),
    I("Top", 86),
    I("Width", 244),
    I("Height", 16),
    B("LockLeft", false),
    B("LockTop", false),
    B("LockRight", false),
    B("LockBottom", false),
    I("TabPanelIndex", 0),
    I("TabIndex", 1),
    S("Text", "kAppName"),
    I("TextAlign", 1),
    C("TextColor", 0x000000),
    B("Multiline", false),
    B("Enabled", true),
    B("Visible", true),
    S("HelpTag", ""),
    B("AutoDeactivate", false),
    S("TextFont", "System"),
    I("TextSize", 14),
    B("Bold", true),
    B("Italic", false),
    B("Underline", false),
    S("DataSource", ""),
    S("DataField", ""),
    S("InitialParent", ""),
};

constexpr std::array kStatAppVersion{
    S("Name", "StatAppVersion"),
    I("Index", kNoIndex),
    I("Left", 20),
    I("Top", 112),
    I("Width", 244),
    I("Height", 12),
    B("LockLeft", false),
    B("LockTop", false),
    B("LockRight", false),
    B("LockBottom", false),
    I("TabPanelIndex", 0),
    I("TabIndex", 2),
    S("Text", "kAppVersion"),
    I("TextAlign", 1),
    C("TextColor", 0x000000),
    B("Multiline", false),
    B("Enabled", true),
    B("Visible", true),
    S("HelpTag", ""),
    B("AutoDeactivate", false),
    S("TextFont", "System"),
    I("TextSize", 10),
    B("Bold", false),
    B("Italic", false),
    B("Underline", false),
    S("DataSource", ""),
    S("DataField", ""),
    S("InitialParent", ""),
};

// The only control of the About window locked to all four edges.
constexpr std::array kEditAppCredits{
    S("Name", "EditAppCredits"),
    I("Index", kNoIndex),
    I("Left", 0),
    I("Top", 132),
    I("Width", 284),
    I("Height", 140),
    B("LockLeft", true),
    B("LockTop", true),
    B("LockRight", true),
    B("LockBottom", true),
    I("TabPanelIndex", 0),
    I("TabIndex", 3),
    B("Border", true),
    B("Multiline", true),
    B("ScrollbarHorizontal", false),
    B("ScrollbarVertical", true),
    B("Styled", true),
    B("Password", false),
    B("UseFocusRing", true),
    C("TextColor", 0x000000),
    C("BackColor", 0xFFFFFF),
    B("Enabled", true),
    S("Format", ""),
    B("Visible", true),
    S("HelpTag", ""),
    B("AutoDeactivate", false),
    S("TextFont", "System"),
    I("TextSize", 12),
    B("Bold", false),
    B("Italic", false),
    B("Underline", false),
    S("Text", "Plain Text: kAppCredits\rHTML Text: kAppCreditsHTML"),
    S("Mask", ""),
    B("ReadOnly", true),
    I("LimitText", 0),
    B("AcceptTabs", false),
    I("Alignment", 0),
    S("DataSource", ""),
    S("DataField", ""),
    S("InitialParent", ""),
};

constexpr std::array kStatAppCopyright{
    S("Name", "StatAppCopyright"),
    I("Index", kNoIndex),
    I("Left", 20),
    I("Top", 280),
    I("Width", 244),
    I("Height", 32),
    B("LockLeft", false),
    B("LockTop", false),
    B("LockRight", false),
    B("LockBottom", false),
    I("TabPanelIndex", 0),
    I("TabIndex", 4),
    S("Text", "kAppCopyright"),
    I("TextAlign", 1),
    C("TextColor", 0x000000),
    B("Multiline", true),
    B("Enabled", true),
    B("Visible", true),
    S("HelpTag", ""),
    B("AutoDeactivate", false),
    S("TextFont", "System"),
    I("TextSize", 10),
    B("Bold", false),
    B("Italic", false),
    B("Underline", false),
    S("DataSource", ""),
    S("DataField", ""),
    S("InitialParent", ""),
};

constexpr std::array kKvIconCanvas{
    S("Name", "KvIconCanvas"),
    I("Index", kNoIndex),
    I("Left", 34),
    I("Top", 324),
    I("Width", 216),
    I("Height", 30),
    B("LockLeft", false),
    B("LockTop", false),
    B("LockRight", false),
    B("LockBottom", false),
    I("TabPanelIndex", 0),
    I("TabIndex", 5),
    B("Visible", true),
    S("HelpTag", ""),
    B("AutoDeactivate", true),
    B("Enabled", true),
    B("UseFocusRing", false),
    B("AcceptFocus", false),
    B("AcceptTabs", false),
    B("EraseBackground", true),
    S("InitialParent", ""),
};

constexpr std::array kWinHelp{
    I("Placement", 0),
    I("Width", 300),
    I("Height", 86),
    I("MinWidth", 64),
    I("MinHeight", 64),
    I("MaxWidth", 32000),
    I("MaxHeight", 32000),
    I("Frame", 0),
    B("Composite", false),
    B("HasBackColor", false),
    C("BackColor", 0xFFFFFF),
    S("Title", "Help"),
    B("Visible", true),
    B("FullScreen", false),
    B("MenuBarVisible", true),
    B("CloseButton", true),
    B("Resizeable", false),
    B("LiveResize", true),
    B("MaximizeButton", false),
    B("MinimizeButton", true),
    S("BalloonHelp", ""),
    I("MacProcID", 0),
};

constexpr std::array kStaticText1{
    S("Name", "StaticText1"),
    I("Index", kNoIndex),
    I("Left", 20),
    I("Top", 14),
    I("Width", 260),
    I("Height", 20),
    B("LockLeft", false),
    B("LockTop", false),
    B("LockRight", false),
    B("LockBottom", false),
    I("TabPanelIndex", 0),
    I("TabIndex", 0),
    S("Text", "Help is not available"),
    I("TextAlign", 1),
    C("TextColor", 0x000000),
    B("Multiline", false),
    B("Enabled", true),
    B("Visible", true),
    S("HelpTag", ""),
    B("AutoDeactivate", true),
    S("TextFont", "System"),
    I("TextSize", 0),
    B("Bold", false),
    B("Italic", false),
    B("Underline", false),
    S("DataSource", ""),
    S("DataField", ""),
    S("InitialParent", ""),
};

constexpr std::array kPushButton1{
    S("Name", "PushButton1"),
    I("Index", kNoIndex),
    I("Left", 110),
    I("Top", 46),
    I("Width", 80),
    I("Height", 20),
    B("LockLeft", false),
    B("LockTop", false),
    B("LockRight", false),
    B("LockBottom", false),
    I("TabPanelIndex", 0),
    I("TabIndex", 1),
    S("Caption", "OK"),
    B("Default", true),
    B("Cancel", false),
    B("Enabled", true),
    B("Visible", true),
    S("HelpTag", ""),
    B("AutoDeactivate", true),
    S("TextFont", "System"),
    I("TextSize", 0),
    B("Bold", false),
    B("Italic", false),
    B("Underline", false),
    S("InitialParent", ""),
};

static_assert(FollowsSequence(kWindow1, kWindowSequence));
static_assert(FollowsSequence(kEditField1, kEditFieldSequence));
static_assert(FollowsSequence(kT, kTranslateSequence));
static_assert(FollowsSequence(kAboutWindow, kWindowSequence));
static_assert(FollowsSequence(kAppIconCanvas, kCanvasSequence));
static_assert(FollowsSequence(kStatAppName, kStaticTextSequence));
static_assert(FollowsSequence(kStatAppVersion, kStaticTextSequence));
static_assert(FollowsSequence(kEditAppCredits, kEditFieldSequence));
static_assert(FollowsSequence(kStatAppCopyright, kStaticTextSequence));
static_assert(FollowsSequence(kKvIconCanvas, kCanvasSequence));
static_assert(FollowsSequence(kWinHelp, kWindowSequence));
static_assert(FollowsSequence(kStaticText1, kStaticTextSequence));
static_assert(FollowsSequence(kPushButton1, kPushButtonSequence));

// The sizes every reader of these records expects.
static_assert(Encoded<kWindow1>.size() == 298);
static_assert(Encoded<kEditField1>.size() == 486);
static_assert(Encoded<kT>.size() == 38);
static_assert(Encoded<kAboutWindow>.size() == 283);
static_assert(Encoded<kAppIconCanvas>.size() == 263);
static_assert(Encoded<kStatAppName>.size() == 346);
static_assert(Encoded<kStatAppVersion>.size() == 352);
static_assert(Encoded<kEditAppCredits>.size() == 540);
static_assert(Encoded<kStatAppCopyright>.size() == 356);
static_assert(Encoded<kKvIconCanvas>.size() == 262);
static_assert(Encoded<kWinHelp>.size() == 287);
static_assert(Encoded<kStaticText1>.size() == 359);
static_assert(Encoded<kPushButton1>.size() == 293);

}  // namespace

constinit const std::span<const std::uint8_t> kWindow1Record = Encoded<kWindow1>;
constinit const std::span<const std::uint8_t> kEditField1Record = Encoded<kEditField1>;
constinit const std::span<const std::uint8_t> kTRecord = Encoded<kT>;
constinit const std::span<const std::uint8_t> kAboutWindowRecord = Encoded<kAboutWindow>;
constinit const std::span<const std::uint8_t> kAppIconCanvasRecord = Encoded<kAppIconCanvas>;
constinit const std::span<const std::uint8_t> kStatAppNameRecord = Encoded<kStatAppName>;
constinit const std::span<const std::uint8_t> kStatAppVersionRecord = Encoded<kStatAppVersion>;
constinit const std::span<const std::uint8_t> kEditAppCreditsRecord = Encoded<kEditAppCredits>;
constinit const std::span<const std::uint8_t> kStatAppCopyrightRecord = Encoded<kStatAppCopyright>;
constinit const std::span<const std::uint8_t> kKvIconCanvasRecord = Encoded<kKvIconCanvas>;
constinit const std::span<const std::uint8_t> kWinHelpRecord = Encoded<kWinHelp>;
constinit const std::span<const std::uint8_t> kStaticText1Record = Encoded<kStaticText1>;
constinit const std::span<const std::uint8_t> kPushButton1Record = Encoded<kPushButton1>;
